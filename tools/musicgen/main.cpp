// musicgen: writes the kit's three preview tunes music0.wav to music2.wav
// (22050 Hz, 16-bit mono PCM) into the folder given. The tunes are composed
// here note by note, so the kit ships no recorded material.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

#include "FileUtil.h"
#include "PathJoin.h"

namespace {

constexpr int kRate = 22050;

enum class Wave { Square, Pulse, Triangle, Noise };

// One voice: notes as MIDI numbers (0 = rest), each lasting `steps` sixteenths.
struct Note {
    int midi;
    int steps;
};

struct Voice {
    Wave wave;
    double volume;
    std::vector<Note> notes;
};

struct Tune {
    int bpm;
    std::vector<Voice> voices;
};

double Frequency(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

double Oscillator(Wave wave, double phase, std::uint32_t& noise) {
    double p = phase - std::floor(phase);
    switch (wave) {
        case Wave::Square:
            return p < 0.5 ? 1.0 : -1.0;
        case Wave::Pulse:
            return p < 0.25 ? 1.0 : -1.0;
        case Wave::Triangle:
            return p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
        case Wave::Noise:
            noise = noise * 1664525u + 1013904223u;
            return static_cast<double>(noise >> 16) / 32768.0 - 1.0;
    }
    return 0.0;
}

// Short attack, gentle decay, and a release so notes do not click.
double Envelope(double t, double length, Wave wave) {
    const double attack = 0.005, release = 0.03;
    if (t < attack) return t / attack;
    double decay = wave == Wave::Noise ? std::exp(-t * 30.0) : 0.6 + 0.4 * std::exp(-t * 6.0);
    double tail = length - t < release ? std::max(0.0, (length - t) / release) : 1.0;
    return decay * tail;
}

std::vector<double> Render(const Tune& tune) {
    const double stepSeconds = 60.0 / tune.bpm / 4.0;
    std::size_t total = 0;
    for (const auto& v : tune.voices) {
        int steps = 0;
        for (const auto& n : v.notes) steps += n.steps;
        total = std::max(total, static_cast<std::size_t>(steps * stepSeconds * kRate));
    }
    total += kRate / 5;  // room for the last release
    std::vector<double> mix(total, 0.0);
    std::uint32_t noise = 0x1234567u;
    for (const auto& v : tune.voices) {
        double start = 0.0;
        for (const auto& n : v.notes) {
            double length = n.steps * stepSeconds;
            if (n.midi > 0) {
                double f = v.wave == Wave::Noise ? 1.0 : Frequency(n.midi);
                auto first = static_cast<std::size_t>(start * kRate);
                auto count = static_cast<std::size_t>(length * kRate);
                for (std::size_t i = 0; i < count && first + i < total; ++i) {
                    double t = static_cast<double>(i) / kRate;
                    mix[first + i] +=
                        v.volume * Envelope(t, length, v.wave) * Oscillator(v.wave, f * t, noise);
                }
            }
            start += length;
        }
    }
    return mix;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string WaveFile(const std::vector<double>& mix) {
    std::string data;
    data.reserve(mix.size() * 2);
    for (double s : mix) {
        auto v = static_cast<std::int16_t>(std::clamp(s, -1.0, 1.0) * 30000.0);
        PutLe(data, static_cast<std::uint16_t>(v), 2);
    }
    std::string out = "RIFF";
    PutLe(out, static_cast<std::uint32_t>(36 + data.size()), 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4);         // fmt chunk size
    PutLe(out, 1, 2);          // PCM
    PutLe(out, 1, 2);          // mono
    PutLe(out, kRate, 4);      // sample rate
    PutLe(out, kRate * 2, 4);  // bytes per second
    PutLe(out, 2, 2);          // block align
    PutLe(out, 16, 2);         // bits per sample
    out += "data";
    PutLe(out, static_cast<std::uint32_t>(data.size()), 4);
    return out + data;
}

// Three moods: a bright march, a slow cave theme, a fast chase.
std::vector<Tune> Tunes() {
    Tune bright{150,
                {{Wave::Square,
                  0.22,
                  {{72, 2},
                   {76, 2},
                   {79, 2},
                   {84, 2},
                   {83, 2},
                   {79, 2},
                   {76, 4},
                   {77, 2},
                   {81, 2},
                   {84, 2},
                   {81, 2},
                   {79, 4},
                   {76, 2},
                   {74, 2},
                   {72, 4}}},
                 {Wave::Triangle,
                  0.35,
                  {{48, 4}, {55, 4}, {53, 4}, {55, 4}, {53, 4}, {48, 4}, {43, 4}, {48, 4}}}}};
    Tune cave{100,
              {{Wave::Triangle,
                0.40,
                {{69, 3}, {72, 1}, {76, 4}, {74, 2}, {72, 2}, {71, 4}, {68, 4}, {69, 4}}},
               {Wave::Pulse, 0.10, {{45, 8}, {41, 8}, {40, 4}, {45, 4}}}}};
    Tune chase{
        168,
        {{Wave::Pulse, 0.20, {{76, 1}, {0, 1},  {76, 1}, {79, 1}, {81, 2}, {79, 2}, {76, 1},
                              {74, 1}, {76, 2}, {71, 2}, {74, 2}, {76, 1}, {0, 1},  {76, 1},
                              {79, 1}, {83, 2}, {81, 2}, {79, 2}, {81, 2}, {83, 4}, {88, 6}}},
         {Wave::Square,
          0.12,
          {{40, 2},
           {52, 2},
           {40, 2},
           {52, 2},
           {43, 2},
           {55, 2},
           {45, 2},
           {57, 2},
           {40, 2},
           {52, 2},
           {40, 2},
           {52, 2},
           {47, 2},
           {59, 2},
           {40, 6}}},
         {Wave::Noise,
          0.12,
          {{1, 4}, {1, 4}, {1, 4}, {1, 2}, {1, 2}, {1, 4}, {1, 4}, {1, 4}, {1, 2}, {1, 2}}}}};
    return {bright, cave, chase};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: musicgen FOLDER/\n";
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '/') folder += '/';
    auto tunes = Tunes();
    for (std::size_t i = 0; i < tunes.size(); ++i) {
        std::string path = gdl::JoinPath(folder, "music" + std::to_string(i) + ".wav");
        std::string bytes = WaveFile(Render(tunes[i]));
        if (!gdl::WriteFileAtomic(path, bytes)) {
            std::cerr << "musicgen: cannot write " << path << '\n';
            return 1;
        }
    }
    return 0;
}
