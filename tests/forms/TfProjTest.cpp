// The project window: its controls under the design's names, and clicks that
// reach the core and come back as the window's state. The level tool is faked
// by a runner that writes the listing the real tool would write.
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "EditorDialogs.h"
#include "EditorFakes.h"
#include "FileUtil.h"
#include "FormsTestSupport.h"
#include "Passwords.h"
#include "Pmmain.h"
#include "ProjectFile.h"
#include "Prompts.h"
#include "QtText.h"
#include "Registry.h"
#include "SoundPlayer.h"
#include "TempDir.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace {

using gdl::TfProj;

struct Level {
    std::string key, name, size, quota, time;
};

// One table line of the level tool's listing, in its fixed columns.
std::string ListingLine(const Level& l) {
    return gdl::RightAlign(l.key, 11) + "  " + gdl::LeftAlign(l.name, 17) + "  " +
           gdl::RightAlign(l.size, 5) + "  " + gdl::RightAlign(l.quota, 5) + "  " +
           gdl::RightAlign(l.time, 5) + "  12%";
}

const std::vector<Level> kAlphaLevels = {
    {"ALPHA1", "FIRST LIGHT", "16x9", "10", "2:00"},
    {"ALPHA2", "SECOND WIND", "20x12", "15", "3:00"},
    {"ALPHA3", "THIRD TIME", "12x8", "5", "1:30"},
};

// Prompts whose file dialogs fail the way a broken platform call would.
class ThrowingPrompts : public gdl::ScriptedPrompts {
public:
    std::optional<std::string> OpenFileDialog(const gdl::FileDialogRequest&) override {
        throw std::runtime_error("disk on fire");
    }
};

class TfProjTest : public ::testing::Test {
protected:
    void SetUp() override {
        gdltest::EnsureApp();
        for (const char* folder : {"kit", "kit/bin", "kit/levels", "kit/source", "proj"}) {
            std::filesystem::create_directory(dir_.Path(folder));
        }
        for (const char* tool : {"ld.exe", "ld.pif", "ldinfo.pif", "ldstat.pif", "gdlstat.exe"}) {
            dir_.Write(std::string("kit/bin/") + tool, "");
        }
        registry_.WriteValue(gdl::RegRoot::LocalMachine, gdl::kRegKeyRoot, "", dir_.Path("kit/"));

        gdl::ProjectModel model;
        model.name = "Demo";
        model.sources = {"Alpha"};
        model.levels.push_back({"Alpha:ALPHA2", "Ann", "QWER", "0", ""});
        model.designers = {"Ann"};
        model.folder = ProjectFolder();
        model.fileName = "Demo.gdp";
        ASSERT_TRUE(gdl::SaveProject(model));
        dir_.Write("proj/Alpha.lvs", "source");

        runner_.onRun = [this](const gdl::ToolCall& call) {
            if (gdl::FileNameOf(call.file) == "ldinfo.bat") {
                if (duringListing_) duringListing_();
                std::string text = "Level listing of " + call.argument + "\r\n\r\n";
                text += "   --------  -----------------  -----  -----  -----\r\n";
                for (const Level& l : kAlphaLevels) text += ListingLine(l) + "\r\n";
                text += "\r\n";
                gdl::WriteFileAtomic(call.folder + call.argument + ".te1", text);
            }
            return 0;
        };
    }

    std::string ProjectFolder() const { return dir_.Path("proj/"); }
    std::string ProjectPath() const { return ProjectFolder() + "Demo.gdp"; }

    void Start(std::vector<std::string> args = {}, gdl::Prompts* prompts = nullptr) {
        window_ = std::make_unique<TfProj>(
            gdl::EditorPorts{registry_, runner_, prompts ? *prompts : prompts_, dialogs_, sound_,
                             random_, dir_.Path("kit/bin/")});
        window_->show();
        window_->FormActivate(args);
    }

    template <class T>
    T* Find(const char* name) {
        T* found = window_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString CurrentPage() { return Find<QStackedWidget>("gPages")->currentWidget()->objectName(); }

    void Click(const char* buttonName) {
        QAbstractButton* button = Find<QAbstractButton>(buttonName);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled()) << buttonName;
        button->click();
    }

    std::vector<QString> Counters(const char* prefix) {
        std::vector<QString> texts;
        for (int page = 1; page <= 4; ++page) {
            const std::string name = prefix + std::to_string(page);
            texts.push_back(Find<QLabel>(name.c_str())->text());
        }
        return texts;
    }

    gdltest::TempDir dir_;
    gdl::MemoryRegistry registry_;
    gdl::RecordingToolRunner runner_;
    gdl::ScriptedPrompts prompts_;
    gdl::ScriptedEditorDialogs dialogs_;
    gdl::RecordingSoundPlayer sound_;
    gdl::ScriptedRandom random_;
    std::function<void()> duringListing_;
    std::unique_ptr<TfProj> window_;
};

TEST_F(TfProjTest, ControlsCarryTheDesignNames) {
    Start();
    const std::vector<std::pair<const char*, std::vector<const char*>>> controls = {
        {"QPushButton",
         {"bGenWiz",  "bNext1",   "bPrev2",     "bNext2",      "bNewS",    "bAddS",
          "bEditS",   "bRemoveS", "bInclude",   "bIncludeAll", "bExclude", "bExcludeAll",
          "bPrev3",   "bNext3",   "bUp",        "bDown",       "bTop",     "bEnd",
          "bTestL",   "bRemove",  "bDesigners", "bGenerate",   "bMusic",   "bEditHint",
          "bDoBuild", "bPrev4"}},
        {"QLineEdit",
         {"eName", "eNotice", "eWizard", "eNameI", "eSizeI", "eTimeI", "eQuotaI", "eNameR",
          "eSizeR", "eTimeR", "eQuotaR", "ePassword", "eLevelSet"}},
        {"QSpinBox", {"ePreDate", "cOffset", "eMusic"}},
        {"QRadioButton", {"xAMusic", "xRMusic", "xMMusic"}},
        {"QCheckBox", {"xBSF", "xGLL"}},
        {"QListWidget", {"cSource", "cContents", "cLevels", "cStatus"}},
        {"QComboBox", {"cDesigner"}},
        {"QLabel", {"pStatus", "iUsage", "iHidden", "iTune", "iHint", "lLevelI", "lLevelR"}},
        {"QProgressBar", {"pBar"}},
        {"QStackedWidget", {"gPages"}},
        {"QToolBar", {"bToolbar"}},
        {"QToolButton",
         {"bNew", "bOpen", "bMerge", "bSave", "bProps", "bSource", "bLevels", "bBuild", "bPlaytest",
          "bHelp", "bClose"}},
        {"QPlainTextEdit", {"cComments"}},
    };
    for (const auto& [type, names] : controls) {
        for (const char* name : names) {
            QObject* control = window_->findChild<QObject*>(QString::fromLatin1(name));
            ASSERT_NE(control, nullptr) << name;
            EXPECT_TRUE(control->inherits(type)) << name << " is not a " << type;
        }
    }
    EXPECT_EQ(Find<QLineEdit>("eName")->maxLength(), 40);
    EXPECT_EQ(Find<QLineEdit>("eNotice")->maxLength(), 60);
    EXPECT_EQ(Find<QLineEdit>("eWizard")->maxLength(), 4);
    EXPECT_EQ(Find<QLineEdit>("ePassword")->maxLength(), 4);
    EXPECT_EQ(Find<QSpinBox>("eMusic")->maximum(), 2);
    EXPECT_TRUE(Find<QLineEdit>("eLevelSet")->isReadOnly());
    EXPECT_EQ(window_->minimumSize(), window_->maximumSize());  // a fixed border
}

TEST_F(TfProjTest, MenuAndToolbarAsDesigned) {
    Start();
    struct Item {
        const char* name;
        const char* text;
        QKeySequence shortcut;
        bool enabled;
    };
    const Item items[] = {
        {"NewProject1", "&New Project...", QKeySequence(Qt::CTRL | Qt::Key_N), true},
        {"OpenProject1", "&Open Project...", QKeySequence(Qt::CTRL | Qt::Key_O), true},
        {"MergeProject1", "&Merge Project...", QKeySequence(Qt::CTRL | Qt::Key_M), false},
        {"SaveProject1", "&Save Project", QKeySequence(Qt::CTRL | Qt::Key_S), false},
        {"Exit1", "E&xit", {}, true},
        {"ProjectProperties1", "Project &Properties", {}, false},
        {"SourceLevels1", "&Source Levels", {}, false},
        {"LevelSet1", "&Level Set", {}, false},
        {"BuildLevelSet1", "&Build Level Set", {}, false},
        {"mPlaytest", "Play&test Level Set", {}, false},
        {"Com11", "Com &1", {}, true},
        {"Com41", "Com &4", {}, true},
        {"IncludeLevels1", "&Include Levels", {}, true},
        {"PopulateDesigner1", "&Populate Designer", {}, true},
        {"GeneratePassword1", "&Generate Password", {}, true},
        {"Index1", "&Index", QKeySequence(Qt::Key_F1), true},
        {"About1", "&About", QKeySequence(Qt::Key_F2), true},
    };
    for (const Item& item : items) {
        QAction* action = Find<QAction>(item.name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromLatin1(item.text)) << item.name;
        EXPECT_EQ(action->shortcut(), item.shortcut) << item.name;
        EXPECT_EQ(action->isEnabled(), item.enabled) << item.name;
    }
    EXPECT_TRUE(Find<QAction>("Com11")->isChecked());
    EXPECT_TRUE(Find<QAction>("Com11")->actionGroup()->isExclusive());
    EXPECT_EQ(Find<QMenu>("Automation1")->title(), QStringLiteral("&Automation"));
    for (const char* recent : {"mRecent1", "mRecent5", "N2"}) {
        EXPECT_FALSE(Find<QAction>(recent)->isVisible()) << recent;
    }

    QStringList tips;
    for (QAction* action : Find<QToolBar>("bToolbar")->actions()) {
        tips << (action->isSeparator() ? QStringLiteral("|") : action->toolTip());
    }
    EXPECT_EQ(tips.join(u','),
              QStringLiteral("New Project,Open Project,Merge Project,Save Project,|,"
                             "Project Properties,Source Levels,Level Set,|,"
                             "Build Level Set,Playtest Level Set,|,Help,Exit"));
}

TEST_F(TfProjTest, WithoutInstallationTheEditorSaysSoAndCloses) {
    registry_ = gdl::MemoryRegistry();
    Start();
    ASSERT_FALSE(prompts_.shown.empty());
    EXPECT_EQ(prompts_.shown.front().caption, "File Error");
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(TfProjTest, OpeningAProjectShowsItsProperties) {
    Start({ProjectPath()});
    EXPECT_EQ(CurrentPage(), QStringLiteral("tProps"));
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Glimmerdeep Level Set Editor - \"Demo\""));
    EXPECT_EQ(Find<QLineEdit>("eName")->text(), QStringLiteral("Demo"));
    EXPECT_EQ(Find<QLabel>("pStatus")->text(), QString::fromStdString(" " + ProjectPath()));
    EXPECT_EQ(Counters("lLevels"), std::vector<QString>(4, QStringLiteral("1 levels")));
    EXPECT_EQ(Counters("lHidden"), std::vector<QString>(4, QStringLiteral("0 hidden levels")));
    EXPECT_TRUE(Find<QAction>("MergeProject1")->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("bSave")->isEnabled());
    EXPECT_EQ(Find<QLineEdit>("eLevelSet")->text(), QStringLiteral("Demo.gdl"));
    EXPECT_EQ(Find<QLineEdit>("eLevelSet")->toolTip(),
              QString::fromStdString(dir_.Path("kit/levels/Demo.gdl")));

    // Editing a field reaches the model, and the window follows.
    Find<QLineEdit>("eName")->selectAll();
    gdltest::TypeText(Find<QLineEdit>("eName"), QStringLiteral("Gems"));
    EXPECT_EQ(window_->Core().Model().name, "Gems");
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Glimmerdeep Level Set Editor - \"Gems\""));
    EXPECT_TRUE(Find<QToolButton>("bSave")->isEnabled());
    Find<QSpinBox>("cOffset")->setValue(1);
    EXPECT_EQ(Counters("lLevels"), std::vector<QString>(4, QStringLiteral("0 levels")));
    EXPECT_EQ(Counters("lHidden"), std::vector<QString>(4, QStringLiteral("1 hidden levels")));
}

TEST_F(TfProjTest, AMinusTypedIntoHiddenLevelsGivesZero) {
    Start({ProjectPath()});
    QSpinBox* offset = Find<QSpinBox>("cOffset");
    offset->setValue(1);
    offset->selectAll();
    gdltest::PressKey(offset, Qt::Key_Minus, QStringLiteral("-"));
    gdltest::PressKey(offset, Qt::Key_3, QStringLiteral("3"));
    EXPECT_EQ(window_->Core().Model().offset, 0);
    EXPECT_EQ(offset->value(), 0);
    EXPECT_EQ(Counters("lHidden"), std::vector<QString>(4, QStringLiteral("0 hidden levels")));
}

TEST_F(TfProjTest, ALongHintWithoutBlanksMakesANarrowTooltip) {
    Start({ProjectPath()});
    Click("bLevels");
    Find<QListWidget>("cLevels")->setCurrentRow(0);
    const std::string hint(300, 'W');
    dialogs_.hintAnswers.push_back(hint);
    Click("bEditHint");
    const QString tip = Find<QLabel>("iHint")->toolTip();
    const QStringList lines = tip.split(u'\n');
    EXPECT_GT(lines.size(), 4);
    for (const QString& line : lines)
        EXPECT_LE(line.size(), gdl::kToolTipWidth) << line.toStdString();
    // The line breaks at the blank, then inside the word; nothing else is lost.
    EXPECT_EQ(lines.front(), QStringLiteral("Hint:"));
    EXPECT_EQ(lines.mid(1).join(QString()), u'"' + QString::fromStdString(hint) + u'"');
}

TEST_F(TfProjTest, IncludeOnTheSourcePageAddsTheLevel) {
    Start({ProjectPath()});
    Click("bSource");
    EXPECT_EQ(CurrentPage(), QStringLiteral("tSource"));

    Find<QListWidget>("cSource")->setCurrentRow(0);
    QListWidget* contents = Find<QListWidget>("cContents");
    ASSERT_EQ(contents->count(), 3);
    EXPECT_EQ(contents->item(0)->text(), QStringLiteral("ALPHA1"));
    EXPECT_TRUE(Find<QPushButton>("bIncludeAll")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("bInclude")->isEnabled());

    contents->setCurrentRow(0);
    EXPECT_EQ(Find<QLabel>("lLevelI")->text(), QStringLiteral("unused"));
    EXPECT_EQ(Find<QLineEdit>("eNameI")->text(), QStringLiteral("FIRST LIGHT"));
    EXPECT_EQ(Find<QLineEdit>("eSizeI")->text(), QStringLiteral("16x9"));
    EXPECT_EQ(Find<QLabel>("iUsage")->toolTip(),
              QStringLiteral("This level is not included in the Level Set"));

    Click("bInclude");
    EXPECT_EQ(Counters("lLevels"), std::vector<QString>(4, QStringLiteral("2 levels")));
    EXPECT_EQ(Find<QLabel>("lLevelI")->text(), QStringLiteral("2"));
    EXPECT_EQ(Find<QLabel>("iUsage")->toolTip(),
              QStringLiteral("This level is included in the Level Set"));
    EXPECT_TRUE(Find<QToolButton>("bSave")->isEnabled());
    QListWidget* levels = Find<QListWidget>("cLevels");
    ASSERT_EQ(levels->count(), 2);
    EXPECT_EQ(levels->item(1)->text(), QStringLiteral("Alpha:ALPHA1"));

    Click("bExclude");
    EXPECT_EQ(Counters("lLevels"), std::vector<QString>(4, QStringLiteral("1 levels")));
    EXPECT_EQ(levels->count(), 1);
}

TEST_F(TfProjTest, LevelSetPageEditsTheSelectedEntry) {
    Start({ProjectPath()});
    Click("bLevels");
    EXPECT_EQ(CurrentPage(), QStringLiteral("tLevels"));
    EXPECT_FALSE(Find<QPushButton>("bEditHint")->isEnabled());

    Find<QListWidget>("cLevels")->setCurrentRow(0);
    EXPECT_EQ(Find<QLabel>("lLevelR")->text(), QStringLiteral("1"));
    EXPECT_EQ(Find<QLineEdit>("eNameR")->text(), QStringLiteral("SECOND WIND"));
    EXPECT_EQ(Find<QComboBox>("cDesigner")->currentText(), QStringLiteral("Ann"));
    EXPECT_EQ(Find<QLineEdit>("ePassword")->text(), QStringLiteral("QWER"));
    EXPECT_FALSE(Find<QLabel>("iHidden")->isVisible());

    QLineEdit* password = Find<QLineEdit>("ePassword");
    password->selectAll();
    gdltest::TypeText(password, QStringLiteral("zx"));
    EXPECT_EQ(password->text(), QStringLiteral("ZX"));
    EXPECT_EQ(window_->Core().Model().levels.at(0).password, "ZX");

    dialogs_.hintAnswers.push_back(std::string("Go left"));
    Click("bEditHint");
    ASSERT_EQ(dialogs_.hintsShown.size(), 1u);
    EXPECT_EQ(dialogs_.hintsShown[0].caption, "Hint for Level 1");
    EXPECT_EQ(dialogs_.hintsShown[0].title, "SECOND WIND");
    EXPECT_EQ(Find<QLabel>("iHint")->toolTip(), QStringLiteral("Hint: \"Go left\""));

    Click("bMusic");
    EXPECT_EQ(Find<QPushButton>("bMusic")->text(), QStringLiteral("Stop &Music"));
    EXPECT_EQ(Find<QPushButton>("bMusic")->toolTip(), QStringLiteral("Stop Selected Music"));
    EXPECT_TRUE(Find<QLabel>("iTune")->isVisible());
    ASSERT_FALSE(sound_.events.empty());
    EXPECT_EQ(sound_.events.front().rfind("play ", 0), 0u);
    // Leaving the page stops the tune.
    Click("bPrev3");
    EXPECT_EQ(CurrentPage(), QStringLiteral("tSource"));
    EXPECT_EQ(sound_.events.back(), "stop");
    EXPECT_EQ(Find<QPushButton>("bMusic")->text(), QStringLiteral("Play &Music"));
}

TEST_F(TfProjTest, BuildInSourceFolderMovesTheOutputPath) {
    Start({ProjectPath()});
    Click("bBuild");
    EXPECT_EQ(CurrentPage(), QStringLiteral("tBuild"));
    QCheckBox* bsf = Find<QCheckBox>("xBSF");
    ASSERT_TRUE(bsf->isEnabled());
    bsf->click();
    EXPECT_TRUE(bsf->isChecked());
    EXPECT_EQ(Find<QLineEdit>("eLevelSet")->toolTip(),
              QString::fromStdString(ProjectFolder() + "Demo.gdl"));
}

TEST_F(TfProjTest, TheCloseQuestionCanKeepTheWindowOpen) {
    Start({ProjectPath()});
    gdltest::TypeText(Find<QLineEdit>("eNotice"), QStringLiteral("x"));
    ASSERT_TRUE(window_->Core().Model().modified);

    prompts_.answers = {gdl::Answer::Cancel};
    window_->close();
    EXPECT_TRUE(window_->isVisible());
    ASSERT_FALSE(prompts_.shown.empty());
    EXPECT_EQ(prompts_.shown.back().caption, "Confirm");
    EXPECT_EQ(prompts_.shown.back().text, "Save changes to project \"Demo\"?");

    // "E&xit" after a cancelled close asks again, and No closes.
    prompts_.answers = {gdl::Answer::Cancel};
    Find<QAction>("Exit1")->trigger();
    EXPECT_TRUE(window_->isVisible());
    prompts_.answers = {gdl::Answer::No};
    Find<QAction>("Exit1")->trigger();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(registry_.ReadValue(gdl::RegRoot::LocalMachine, gdl::kRegKeyEdit, "Recent1"),
              std::nullopt);
}

TEST_F(TfProjTest, ClicksWhileAToolRunsAreDropped) {
    Start({ProjectPath()});
    Click("bSource");
    int listings = 0;
    duringListing_ = [this, &listings] {
        ++listings;
        // The window processes events while it waits for the tool: a user
        // clicking New or closing the window now must not reach the core.
        Find<QAction>("NewProject1")->trigger();
        window_->close();
    };
    // Without its listing the source is listed again when it is selected.
    gdl::DeleteFileQuiet(ProjectFolder() + "Alpha.te1");
    gdl::DeleteFileQuiet(ProjectFolder() + "Alpha.te2");
    Find<QListWidget>("cSource")->setCurrentRow(0);
    EXPECT_EQ(listings, 1);
    EXPECT_TRUE(window_->isVisible());
    for (const auto& shown : prompts_.shown) EXPECT_NE(shown.kind, "save");
    EXPECT_EQ(window_->Core().Model().name, "Demo");
    EXPECT_EQ(Find<QListWidget>("cContents")->count(), 3);
}

TEST_F(TfProjTest, AnEscapingErrorIsShownAndTheEditorGoesOn) {
    ThrowingPrompts prompts;
    Start({ProjectPath()}, &prompts);
    QString shownText;
    gdltest::WhenModalShows([&shownText](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) shownText = box->text();
    });
    Find<QAction>("OpenProject1")->trigger();
    EXPECT_EQ(shownText, QStringLiteral("disk on fire"));
    EXPECT_TRUE(window_->isVisible());
    Click("bSource");
    EXPECT_EQ(CurrentPage(), QStringLiteral("tSource"));
}

TEST_F(TfProjTest, RecentEntriesShowThePathAsItIs) {
    // A folder with "&" in its name: the entry must not turn it into a mnemonic.
    std::filesystem::create_directory(dir_.Path("R&D"));
    std::filesystem::copy_file(ProjectPath(), dir_.Path("R&D/Demo.gdp"));
    const std::string path = dir_.Path("R&D/Demo.gdp");
    prompts_.paths = {path};
    Start();
    EXPECT_FALSE(Find<QAction>("N2")->isVisible());
    Find<QAction>("OpenProject1")->trigger();
    QAction* recent = Find<QAction>("mRecent1");
    EXPECT_TRUE(recent->isVisible());
    EXPECT_TRUE(Find<QAction>("N2")->isVisible());
    EXPECT_EQ(recent->text(), QStringLiteral("&1 ") +
                                  QString::fromStdString(path).replace(u'&', QStringLiteral("&&")));
    EXPECT_FALSE(Find<QAction>("mRecent2")->isVisible());
}

TEST_F(TfProjTest, TheWindowShowsProgressWhileAToolRuns) {
    std::vector<QString> status;
    std::vector<bool> toolbar;
    duringListing_ = [this, &status, &toolbar] {
        status.push_back(Find<QLabel>("pStatus")->text());
        toolbar.push_back(Find<QToolBar>("bToolbar")->isEnabled());
    };
    Start({ProjectPath()});
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.front(), QStringLiteral(" Loading..."));
    EXPECT_FALSE(toolbar.front());
    EXPECT_TRUE(Find<QToolBar>("bToolbar")->isEnabled());  // enabled again once loaded
}

}  // namespace
