// Everything TfPlay shows, under the names of the controls that show it. The
// core fills it; the form renders it; tests assert on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Rgb.h"

namespace gdl {

inline constexpr char kPlayerAppTitle[] = "GDL Level Player";
inline constexpr char kPlayerCaption[] = "GDL Level Set Player";

// The status lamp: the picture iStat shows a copy of.
// InPlay is the kit's own: the Lynx answered and the level is in play.
enum class Lamp { Off, On, Warn, Err, InPlay };  // iOff, iOn, iWarn, iErr, iPlay

inline constexpr Rgb kClBlue{0, 0, 255};
inline constexpr Rgb kClPurple{128, 0, 128};

struct PanelView {
    std::string text;
    int left = 0;  // where the design places it; some panels move to 165
    bool visible = true;
};

struct ButtonView {
    std::string caption;
    bool enabled = true;
};

struct MenuItemView {
    std::string caption;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
};

inline constexpr int kMovedPanelLeft = 165;

// A progress bar: position of max, shown or not.
struct ProgressView {
    bool visible = false;
    std::size_t position = 0;
    std::size_t max = 0;
};

struct PlayerView {
    std::string caption = kPlayerCaption;

    PanelView Panel1{"", 5};
    PanelView Panel2{"", 122};
    PanelView Panel3{"", 5};
    PanelView Panel4{"", 5};
    PanelView Panel5{"", 95};   // holds SpeedButton1 (PLAY)
    PanelView Panel6{"", 235};  // holds SpeedButton2 (NEXT)
    PanelView Panel7{"", 9};    // LOAD
    PanelView Panel8{"", 141, false};
    PanelView Panel9{"CODE:", 141};
    PanelView Panel10{"", 165};         // RESTART
    PanelView Panel11{"", 321};         // QUIT
    PanelView Panel12{"", 59, false};   // <BACK
    PanelView Panel13{"", 271, false};  // NEXT>
    PanelView Panel14{"", 0};           // the status line
    std::string Panel14Hint;            // why the port could not be opened, as a tooltip
    std::string iStatHint;              // the lamp's tooltip while a level is in play
    ProgressView pSend;                 // in the status line: the bytes of a send that are out
    Rgb Panel5Color = kClBlue;
    Rgb Panel6Color = kClBlue;

    std::string ePW;  // the code field: 4 characters, upper case
    bool ePWVisible = true;

    ButtonView SpeedButton1{"PLAY"};
    ButtonView SpeedButton2{"NEXT", false};
    ButtonView SpeedButton3{"LOAD"};
    ButtonView SpeedButton4{"RESTART"};
    ButtonView SpeedButton5{"QUIT"};
    ButtonView SpeedButton6{"<BACK"};
    ButtonView SpeedButton7{"NEXT>"};

    std::string Label1;  // hidden: the current level's hint

    // Menus.
    MenuItemView Load1{"&Load"};
    MenuItemView Restart1{"&Restart"};
    MenuItemView Quit1{"&Quit"};
    MenuItemView Level1{"&Level"};
    MenuItemView Play1{"&Play"};
    MenuItemView Next1{"&Next", false};
    MenuItemView WLevel1{"&Level", true, false};
    MenuItemView WBack1{"&Back"};
    MenuItemView WPlay1{"&Play"};
    MenuItemView WNext1{"&Next"};
    MenuItemView Com11{"Com&1", true, true, true};
    MenuItemView Com21{"Com&2"};
    MenuItemView Com31{"Com&3"};
    MenuItemView Com41{"Com&4"};
    MenuItemView ChooseDevice1{"Choose &Device..."};
    MenuItemView IgnoreLynxButtons1{"&Ignore Lynx EOL Buttons"};
    MenuItemView AutoLoadLevelSet1{"&Auto Load Level Set"};
    MenuItemView SavePassword1{"&Save Password"};
    MenuItemView Contents1{"&Index"};
    MenuItemView About1{"&About"};
    MenuItemView Info1{"I&nfo"};
    MenuItemView N2{"-"};
    MenuItemView Hint1{"&Hint", false};

    Lamp iStat = Lamp::Off;

    // The core asks the window to close (QUIT, a failed tool check, no set).
    bool closeRequested = false;
};

}  // namespace gdl
