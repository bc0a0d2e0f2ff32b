// The view data the page renders: what the core shows, byte for byte.
#include <gtest/gtest.h>

#include "ViewJson.h"

namespace gdl {
namespace {

TEST(ViewJsonTest, TextsKeepTheirBytesAndCannotBreakTheJson) {
    const struct {
        std::string bytes, json;
    } cases[] = {
        {"PC LEVEL H2", "\"PC LEVEL H2\""},
        {"Copyright \xA9", "\"Copyright \\u00a9\""},
        {"\xBF\x80", "\"\\u00bf\\u0080\""},
        {"say \"hi\" \\", "\"say \\\"hi\\\" \\\\\""},
        {"a\r\nb\x7F", "\"a\\u000d\\u000ab\\u007f\""},
        {std::string("\0", 1), "\"\\u0000\""},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonText(c.bytes), c.json) << c.bytes;
}

TEST(ViewJsonTest, ThePanelsLampAndColoursAreThoseOfTheView) {
    PlayerView v;
    v.Panel14.text = " Lynx not responding on Com1!";
    v.iStat = Lamp::Err;
    v.Panel6Color = kClPurple;
    v.Panel12.visible = true;
    v.SpeedButton2.enabled = true;
    v.pSend = {true, 551, 1102};
    const std::string json = ViewJson(v);
    for (const char* part :
         {R"("Panel14":{"text":" Lynx not responding on Com1!","left":0,"visible":true})",
          R"("iStat":"err")", R"("Panel5Color":"#0000ff")", R"("Panel6Color":"#800080")",
          R"("Panel12":{"text":"","left":59,"visible":true})",
          R"("SpeedButton2":{"caption":"NEXT","enabled":true})",
          R"("Com11":{"caption":"Com&1","enabled":true,"visible":true,"checked":true})",
          R"("Hint1":{"caption":"&Hint","enabled":false,"visible":true,"checked":false})"})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
    EXPECT_EQ(json.front(), '{');
    EXPECT_EQ(json.back(), '}');
}

TEST(ViewJsonTest, TheChooserListsItsSetsInOrder) {
    ChooserView v;
    v.cLevelSets = {"Caves", "Ups/Downs"};
    v.selected = 1;
    v.Label2 =
        "Copyright \xA9"
        "2024 Notice";
    EXPECT_EQ(
        ChooserJson(v),
        R"({"cLevelSets":["Caves","Ups/Downs"],"selected":1,"Label2":"Copyright \u00a92024 Notice",)"
        R"("Label3":"","bOKEnabled":false,"popupEnabled":false})");
}

}  // namespace
}  // namespace gdl
