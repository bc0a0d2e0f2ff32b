#include "ViewJson.h"

#include <cstdio>

namespace gdl {

namespace {

class Object {
public:
    Object& Field(std::string_view name, std::string_view rawJson) {
        out_ += out_.size() > 1 ? "," : "";
        out_ += JsonText(name) + ":" + std::string(rawJson);
        return *this;
    }
    Object& Text(std::string_view name, std::string_view text) {
        return Field(name, JsonText(text));
    }
    Object& Flag(std::string_view name, bool on) { return Field(name, on ? "true" : "false"); }
    Object& Number(std::string_view name, long long n) { return Field(name, std::to_string(n)); }
    std::string Done() { return out_ + "}"; }

private:
    std::string out_ = "{";
};

std::string Panel(const PanelView& p) {
    return Object().Text("text", p.text).Number("left", p.left).Flag("visible", p.visible).Done();
}

std::string Button(const ButtonView& b) {
    return Object().Text("caption", b.caption).Flag("enabled", b.enabled).Done();
}

std::string Item(const MenuItemView& m) {
    return Object()
        .Text("caption", m.caption)
        .Flag("enabled", m.enabled)
        .Flag("visible", m.visible)
        .Flag("checked", m.checked)
        .Done();
}

std::string Colour(Rgb c) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02x%02x%02x", c.r, c.g, c.b);
    return JsonText(hex);
}

constexpr std::pair<Lamp, const char*> kLampNames[] = {
    {Lamp::On, "on"}, {Lamp::Warn, "warn"}, {Lamp::Err, "err"}, {Lamp::InPlay, "play"}};

}  // namespace

std::string JsonText(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string ViewJson(const PlayerView& v) {
    Object o;
    o.Text("caption", v.caption);
    const std::pair<const char*, const PanelView*> panels[] = {
        {"Panel1", &v.Panel1},   {"Panel2", &v.Panel2},   {"Panel3", &v.Panel3},
        {"Panel4", &v.Panel4},   {"Panel5", &v.Panel5},   {"Panel6", &v.Panel6},
        {"Panel7", &v.Panel7},   {"Panel8", &v.Panel8},   {"Panel9", &v.Panel9},
        {"Panel10", &v.Panel10}, {"Panel11", &v.Panel11}, {"Panel12", &v.Panel12},
        {"Panel13", &v.Panel13}, {"Panel14", &v.Panel14}};
    for (const auto& [name, panel] : panels) o.Field(name, Panel(*panel));
    const std::pair<const char*, const ButtonView*> buttons[] = {
        {"SpeedButton1", &v.SpeedButton1}, {"SpeedButton2", &v.SpeedButton2},
        {"SpeedButton3", &v.SpeedButton3}, {"SpeedButton4", &v.SpeedButton4},
        {"SpeedButton5", &v.SpeedButton5}, {"SpeedButton6", &v.SpeedButton6},
        {"SpeedButton7", &v.SpeedButton7}};
    for (const auto& [name, button] : buttons) o.Field(name, Button(*button));
    const std::pair<const char*, const MenuItemView*> items[] = {
        {"Load1", &v.Load1},
        {"Restart1", &v.Restart1},
        {"Play1", &v.Play1},
        {"Next1", &v.Next1},
        {"WLevel1", &v.WLevel1},
        {"Com11", &v.Com11},
        {"Com21", &v.Com21},
        {"Com31", &v.Com31},
        {"Com41", &v.Com41},
        {"IgnoreLynxButtons1", &v.IgnoreLynxButtons1},
        {"AutoLoadLevelSet1", &v.AutoLoadLevelSet1},
        {"SavePassword1", &v.SavePassword1},
        {"Hint1", &v.Hint1}};
    for (const auto& [name, item] : items) o.Field(name, Item(*item));
    return o.Text("Panel14Hint", v.Panel14Hint)
        .Field("Panel5Color", Colour(v.Panel5Color))
        .Field("Panel6Color", Colour(v.Panel6Color))
        .Text("ePW", v.ePW)
        .Flag("ePWVisible", v.ePWVisible)
        .Text("Label1", v.Label1)
        .Text("iStat", PageName(v.iStat, kLampNames, "off"))
        .Text("iStatHint", v.iStatHint)
        .Field("pSend", Object()
                            .Flag("visible", v.pSend.visible)
                            .Number("position", static_cast<long long>(v.pSend.position))
                            .Number("max", static_cast<long long>(v.pSend.max))
                            .Done())
        .Flag("closeRequested", v.closeRequested)
        .Done();
}

std::string ChooserJson(const ChooserView& v) {
    std::string list = "[";
    for (const std::string& name : v.cLevelSets)
        list += (list.size() > 1 ? "," : "") + JsonText(name);
    return Object()
        .Field("cLevelSets", list + "]")
        .Number("selected", v.selected)
        .Text("Label2", v.Label2)
        .Text("Label3", v.Label3)
        .Flag("bOKEnabled", v.bOKEnabled)
        .Flag("popupEnabled", v.popupEnabled)
        .Done();
}

}  // namespace gdl
