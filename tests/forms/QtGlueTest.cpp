// The Qt glue: Windows-1252 texts, file dialog filters, the shared widgets and
// the drawn pictures.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <string>

#include "FormWidgets.h"
#include "FormsTestSupport.h"
#include "Icons.h"
#include "QtPrompts.h"
#include "QtText.h"

namespace {

using gdl::FromQString;

// Pastes as the clipboard and drag and drop do.
struct PastingMemo : gdl::MemoEdit {
    using gdl::MemoEdit::MemoEdit;
    void Paste(const QMimeData* data) { insertFromMimeData(data); }
};

using gdl::ToQString;

TEST(QtTextTest, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const QString text = ToQString(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(FromQString(text), all);
}

TEST(QtTextTest, CodePageCharacters) {
    struct Case {
        std::string bytes;
        char16_t unicode;
    };
    const Case cases[] = {
        {"\x80", u'\u20AC'},  // euro sign
        {"\x85", u'\u2026'},  // ellipsis
        {"\x93", u'\u201C'},  // opening double quote
        {"\x9F", u'\u0178'},  // Y with diaeresis
        {"\xA9", u'\u00A9'},  // copyright sign, written by the core for the notice
        {"\xBF", u'\u00BF'},  // inverted question mark
        {"\xE9", u'\u00E9'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(ToQString(c.bytes), QString(QChar(c.unicode)));
        EXPECT_EQ(FromQString(QString(QChar(c.unicode))), c.bytes);
    }
}

TEST(QtTextTest, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach) {
    EXPECT_EQ(FromQString(QStringLiteral("a\u4E2Db")), "a?b");
    // A character outside the basic plane is one character, not two.
    EXPECT_EQ(FromQString(QString::fromUtf8("x\xF0\x9F\x92\x8Ey")), "x?y");
    EXPECT_EQ(FromQString(QStringLiteral("\u0080")), "?");  // a C1 control the code page uses
}

TEST(QtTextTest, DisplayTextReadsFileSystemNamesAsUtf8) {
    EXPECT_EQ(gdl::DisplayText("/home/ana/Caf\xC3\xA9/set.gdp"),
              QStringLiteral("/home/ana/Caf\u00E9/set.gdp"));
    // Not valid UTF-8: the code page's reading.
    EXPECT_EQ(gdl::DisplayText("Caf\xE9"), QStringLiteral("Caf\u00E9"));
    EXPECT_EQ(gdl::DisplayText(" Loading..."), QStringLiteral(" Loading..."));
    EXPECT_EQ(gdl::PathToQString(gdl::PathFromQString(QStringLiteral("/tmp/\u00E9t\u00E9"))),
              QStringLiteral("/tmp/\u00E9t\u00E9"));
}

TEST(QtTextTest, ToolTipsAreWrappedAtBlanksAndInsideLongWords) {
    const struct {
        QString text;
        int width;
        QString wrapped;
    } cases[] = {
        {QStringLiteral("short tip"), 10, QStringLiteral("short tip")},
        {QStringLiteral("one two three four"), 9, QStringLiteral("one two\nthree\nfour")},
        {QStringLiteral("ABCDEFGHIJKLM"), 5, QStringLiteral("ABCDE\nFGHIJ\nKLM")},
        {QStringLiteral("Hint: ABCDEFGH"), 5, QStringLiteral("Hint:\nABCDE\nFGH")},
        {QStringLiteral("Error reading\nlevel info here"), 10,
         QStringLiteral("Error\nreading\nlevel info\nhere")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gdl::WrapToolTip(c.text, c.width), c.wrapped) << c.text.toStdString();
}

TEST(QtPromptsTest, FiltersInQtForm) {
    struct Case {
        std::string filter;
        QString expected;
    };
    const Case cases[] = {
        {"GDL Projects (*.gdp)|*.gdp|All files (*.*)|*.*",
         QStringLiteral("GDL Projects (*.gdp);;All files (*)")},
        {"GDL Source Files (*.lvs)|*.lvs|All files (*.*)|*.*",
         QStringLiteral("GDL Source Files (*.lvs);;All files (*)")},
        {"Levels|*.lvs;*.bin", QStringLiteral("Levels (*.lvs *.bin)")},
        {"|*.txt", QStringLiteral("*.txt (*.txt)")},
        {"", QString()},
        {"Dangling description only", QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(gdl::ToQtNameFilters(c.filter), c.expected);
    }
}

TEST(FormWidgetsTest, MemoTakesNoLineBreaksAndKeepsItsLimit) {
    gdltest::EnsureApp();
    PastingMemo memo(10);
    QString edited;
    int edits = 0;
    QObject::connect(&memo, &gdl::MemoEdit::textEdited, [&](const QString& t) {
        edited = t;
        ++edits;
    });

    gdltest::TypeText(&memo, QStringLiteral("ab"));
    gdltest::PressKey(&memo, Qt::Key_Return, QStringLiteral("\r"));
    gdltest::TypeText(&memo, QStringLiteral("cd"));
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("abcd"));
    EXPECT_EQ(edited, QStringLiteral("abcd"));

    QMimeData pasted;
    pasted.setText(QStringLiteral("e\r\nf\ngh\rijklmnop"));
    memo.Paste(&pasted);
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("abcde f gh"));
    EXPECT_EQ(edited, QStringLiteral("abcde f gh"));

    const int before = edits;
    memo.SetTextQuiet(QStringLiteral("quiet"));
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("quiet"));
    EXPECT_EQ(edits, before);  // the program's own changes are no user edits
}

TEST(FormWidgetsTest, UpperCaseBoxTurnsTypedLettersIntoCapitals) {
    gdltest::EnsureApp();
    QLineEdit box;
    box.setMaxLength(4);
    box.setValidator(new gdl::UpperCaseValidator(&box));
    gdltest::TypeText(&box, QStringLiteral("abcde"));
    EXPECT_EQ(box.text(), QStringLiteral("ABCD"));
}

TEST(FormWidgetsTest, SyncListChangesOnlyWhatDiffers) {
    gdltest::EnsureApp();
    QListWidget list;
    gdl::SyncList(&list, {"one", "two", "three"});
    QListWidgetItem* first = list.item(0);
    gdl::SyncList(&list, {"one", "zwei"});
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.item(0), first);
    EXPECT_EQ(list.item(1)->text(), QStringLiteral("zwei"));

    gdl::SelectRow(&list, 1);
    EXPECT_EQ(gdl::SelectedRow(&list), 1);
    gdl::SelectRow(&list, -1);
    EXPECT_EQ(gdl::SelectedRow(&list), -1);
    gdl::SelectRow(&list, 7);  // out of range selects nothing
    EXPECT_EQ(gdl::SelectedRow(&list), -1);
}

TEST(FormWidgetsTest, AnAmpersandInAPathShowsAsItself) {
    EXPECT_EQ(gdl::EscapeMnemonics(QStringLiteral("/home/R&D/set.gdp")),
              QStringLiteral("/home/R&&D/set.gdp"));
}

TEST(IconsTest, EveryPictureIsDrawn) {
    gdltest::EnsureApp();
    for (int id = static_cast<int>(gdl::IconId::App);
         id <= static_cast<int>(gdl::IconId::AddSource); ++id) {
        SCOPED_TRACE(id);
        const QImage image = gdl::IconPixmap(static_cast<gdl::IconId>(id), 32).toImage();
        ASSERT_FALSE(image.isNull());
        int painted = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) painted += qAlpha(image.pixel(x, y)) > 0;
        }
        EXPECT_GT(painted, 40);
        EXPECT_FALSE(gdl::MakeIcon(static_cast<gdl::IconId>(id)).isNull());
    }
}

}  // namespace
