// fuzz_seeds SAMPLE_FOLDER OUT_FOLDER: the seed corpus of every fuzz target,
// made from the sample project with the kit's own writers (the level tool's
// listing and compiler, the level set writer, the level list lines, the
// registry text, the batch files), one folder per target under OUT_FOLDER.
#include <filesystem>
#include <iostream>
#include <sstream>

#include "CompiledLevel.h"
#include "FileUtil.h"
#include "IniFile.h"
#include "LevelInfo.h"
#include "LevelList.h"
#include "LevelReference.h"
#include "LevelSetFile.h"
#include "LevelTool.h"
#include "LevelToolCommands.h"
#include "Link.h"
#include "ProjectFile.h"
#include "Registry.h"
#include "TextUtil.h"

namespace fs = std::filesystem;

namespace {

std::string outRoot;

void Seed(const std::string& target, const std::string& name, std::string_view bytes) {
    fs::create_directories(outRoot + target);
    if (!gdl::WriteFileAtomic(outRoot + target + "/" + name, bytes))
        std::cerr << "fuzz_seeds: cannot write " << target << "/" << name << '\n';
}

// A string as FuzzedDataProvider::ConsumeRandomLengthString reads it back.
std::string ProviderString(std::string_view s) {
    std::string r;
    for (char c : s) {
        r += c;
        if (c == '\\') r += c;
    }
    return r + "\\ ";
}

std::string Compiled(const std::string& work, const std::string& level) {
    return gdl::ReadFileBytes(work + level + ".bin").value_or("");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "Usage: fuzz_seeds SAMPLE_FOLDER OUT_FOLDER\n";
        return 2;
    }
    const std::string samples = gdl::WithTrailingSlash(argv[1]);
    outRoot = gdl::WithTrailingSlash(argv[2]);
    const std::string work = outRoot + "work/";
    fs::create_directories(work);

    gdl::ProjectModel project;
    if (!gdl::LoadProject(project, samples + "GemQuest.gdp")) {
        std::cerr << "fuzz_seeds: " << samples << "GemQuest.gdp cannot be read\n";
        return 1;
    }
    const std::string gdp = gdl::ReadFileBytes(samples + "GemQuest.gdp").value_or("");
    Seed("ProjectFileFuzz", "GemQuest.gdp", gdp);
    Seed("IniFileFuzz", "GemQuest.gdp",
         ProviderString("Level.Caverns:CAVE01") + ProviderString("Hint") +
             ProviderString("Take the left tunnel") + gdp);
    Seed("PlayerReaderFuzz", "GemQuest.gdp", "\x01" + gdp);

    for (const std::string& source : project.sources) {
        const std::string text = gdl::ReadFileBytes(samples + source + ".lvs").value_or("");
        Seed("LevelSourceFuzz", source + ".lvs", text);
        Seed("LevelDocumentFuzz", source + ".lvs", text);
        gdl::WriteFileAtomic(work + source + ".lvs", text);
        std::ostringstream listing, compiled, err;
        gdl::ListSource(work, source, listing, err);
        gdl::CompileSource(work, source, compiled, err);
        Seed("LevelListingFuzz", source + ".te1", listing.str());
    }

    std::vector<gdl::LevelSetLevel> levels;
    std::vector<std::string> list = gdl::LevelListOpeningLines();
    for (std::size_t i = 0; i < project.levels.size(); ++i) {
        const gdl::LevelEntry& e = project.levels[i];
        const std::string level = gdl::SplitReference(e.reference).level;
        const std::string bin = Compiled(work, level);
        Seed("CompiledLevelFuzz", level + ".bin", bin);
        Seed("CompanionFuzz", level + ".bin", bin);
        Seed("LinkStreamFuzz", level + ".bin", std::string(gdl::LevelBytesToSend(bin)));
        const auto music = static_cast<std::uint8_t>(std::stoi(e.music.empty() ? "0" : e.music));
        levels.push_back({{true, 0, e.password, e.designer, music, 0}, e.hint, bin});
        const auto info = gdl::LevelInfoFromCompiled(bin.substr(0, gdl::kCompiledReadSize));
        list.push_back(
            gdl::FormatLevelListLine(gdl::LevelLabel(static_cast<long long>(i + 1), project.offset),
                                     gdl::FormatLevelInfoLine(info.info), e.password, e.designer));
    }
    list.push_back("");
    list.push_back(std::string(gdl::kLevelListRuleWidth, '-'));
    Seed("GdlStatFuzz", "GemQuest.te3", gdl::JoinLinesCrLf(list));

    const gdl::LevelSetHeader header{project.name,
                                     std::to_string(project.copyrightYear),
                                     project.notice,
                                     project.wizard,
                                     project.comments,
                                     static_cast<std::uint8_t>(project.offset),
                                     static_cast<std::uint8_t>(project.NumberedLevels())};
    const std::string set = gdl::SerializeLevelSet(header, levels);
    Seed("LevelSetFileFuzz", "GemQuest.gdl", set);
    Seed("CompanionFuzz", "GemQuest.gdl", set);
    Seed("PlayerReaderFuzz", "GemQuest.gdl", std::string(1, '\0') + set);
    // Small sets keep the fuzzer's inputs short: the first level only.
    const std::string one = gdl::SerializeLevelSet(header, {levels.front()});
    Seed("LevelSetFileFuzz", "OneLevel.gdl", one);
    Seed("PlayerReaderFuzz", "OneLevel.gdl", std::string(1, '\0') + one);

    gdl::RegistryHive hive;
    hive.Create(gdl::kRegKeyRoot).values.push_back({"", "/opt/gdlkit/"});
    hive.Create(gdl::kRegKeyGlobal).values.push_back({"Port", "Com1"});
    auto& recent = hive.Create(gdl::kRegKeyEdit);
    recent.values.push_back({"Recent1", samples + "GemQuest.gdp"});
    recent.values.push_back({"Recent2", "C:\\Games\\\"Quoted\"\\Set.gdp"});
    hive.Create(gdl::kRegKeyLevelSets)
        .values.push_back({project.name + "/Ups", work + "GemQuest.gdl"});
    Seed("RegistryFuzz", "machine.reg", gdl::SerializeHive(hive));

    const std::string folder = "/opt/gdl kit 100%/bin/";
    const std::string head = ProviderString("Caverns") + ProviderString(folder);
    Seed("BatchFuzz", "ldinfo.bat", head + gdl::ListBatchText(folder));
    Seed("BatchFuzz", "ldcompile.bat", head + gdl::CompileBatchText(folder));
    Seed("BatchFuzz", "ldstat.bat", head + gdl::StatBatchText(folder));
    Seed("BatchFuzz", "ldedit.bat", head + gdl::EditBatchText(folder, 1));

    // Options bytes, then a send with a parity mark, a break and a real FF.
    std::string marked = "\x01\x00\x00";
    marked += std::string(32, static_cast<char>(0xA5)) + "GDL\x13\xFF\xFF";
    marked += std::string("\xFF\x00\x41\xFF\x00\x00", 6) + set.substr(0, 64);
    Seed("ReceiveQueueFuzz", "marked", marked);

    fs::remove_all(work);
    return 0;
}
