// The desk's scratch note: saved per keystroke, replaced from elsewhere without saving.
#include "Vesk/Desk/Widgets/NotesWidget.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTest>

using namespace vesk;
using namespace vesk::test;

namespace {

class NotesWidgetTest : public ::testing::Test {
protected:
    NotesWidgetTest() {
        widget.resize(200, 120);
        widget.setAttribute(Qt::WA_DontShowOnScreen);
    }

    // The brightest pixel where "Notes…" is drawn.
    int placeholderBrightness() {
        const QImage image = widgetImage(widget);
        int best = 0;
        for (int y = 10; y < 22; ++y)
            for (int x = 11; x < 50; ++x)
                best = std::max(best, image.pixelColor(x, y).lightness());
        return best;
    }

    DeskEnvironment environment;
    QStringList saved;
    int commits = 0;
    NotesWidget widget{
        environment,
        {.save = [this](const QString& text) { saved << text; }, .onCommit = [this] { ++commits; }}};
};

TEST_F(NotesWidgetTest, EachKeystrokeSavesTheTextAndCommitsOnce) {
    widget.setText(QString());
    widget.show();
    EXPECT_EQ(commits, 0) << "coming on screen commits nothing";
    EXPECT_TRUE(widget.showsPlaceholder());
    EXPECT_GT(placeholderBrightness(), 80) << "\"Notes…\" is drawn";

    QTest::keyClicks(widget.editor(), QStringLiteral(" "));
    EXPECT_EQ(saved, QStringList{QStringLiteral(" ")});
    EXPECT_EQ(commits, 1);
    EXPECT_FALSE(widget.showsPlaceholder()) << "a space hides the placeholder";
    EXPECT_LT(placeholderBrightness(), 60);

    // The repository's echo of the same text changes nothing.
    widget.setText(QStringLiteral(" "));
    EXPECT_EQ(saved.size(), 1);
    EXPECT_EQ(commits, 1);

    widget.hide();
    EXPECT_EQ(commits, 2) << "leaving the screen commits once";
}

TEST_F(NotesWidgetTest, ATextFromElsewhereReplacesTheEditorsWithoutSavingIt) {
    widget.setText(QStringLiteral("first line"));
    EXPECT_EQ(commits, 0) << "the note as it arrives is no change";
    QTextCursor cursor = widget.editor()->textCursor();
    cursor.setPosition(5);
    widget.editor()->setTextCursor(cursor);

    widget.setText(QStringLiteral("first line\n— merged —\nsecond"));
    EXPECT_EQ(widget.text(), QStringLiteral("first line\n— merged —\nsecond"));
    EXPECT_TRUE(saved.isEmpty()) << "nothing is saved as an edit";
    EXPECT_EQ(commits, 0) << "nor committed: it is not saved back";
    EXPECT_EQ(widget.editor()->textCursor().position(), 5) << "the cursor stays";

    widget.setText(QStringLiteral("ab"));
    EXPECT_EQ(widget.editor()->textCursor().position(), 2) << "held inside a shorter text";

    // A merge that puts text before the cursor while the user types: the next key
    // lands after what they typed.
    widget.show();
    widget.setText(QStringLiteral("theirs\nab"));
    QTest::keyClicks(widget.editor(), QStringLiteral("c"));
    widget.setText(QStringLiteral("theirs\nabc\nmore"));
    QTest::keyClicks(widget.editor(), QStringLiteral("d"));
    EXPECT_EQ(widget.text(), QStringLiteral("theirs\nabcd\nmore"));
}

// "Notes…" sits exactly where the same text typed into the editor is drawn.
TEST_F(NotesWidgetTest, ThePlaceholderStartsWhereTypedTextStarts) {
    // The top-left corner of the text's ink: pixels at least half as light as its lightest
    // (the placeholder's grey is darker than typed text).
    const auto inkCorner = [this] {
        const QImage image = widgetImage(widget);
        int lightest = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                lightest = std::max(lightest, image.pixelColor(x, y).lightness());
        QPoint corner(image.width(), image.height());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).lightness() * 2 > lightest)
                    corner = QPoint(std::min(corner.x(), x), std::min(corner.y(), y));
        return corner;
    };
    widget.setText(QString());
    widget.show();
    ASSERT_TRUE(widget.showsPlaceholder());
    const QPoint placeholder = inkCorner();
    widget.setText(QStringLiteral("Notes\u2026"));
    ASSERT_FALSE(widget.showsPlaceholder());
    const QPoint typed = inkCorner();
    EXPECT_LE((placeholder - typed).manhattanLength(), 1)
        << "placeholder at " << placeholder.x() << "," << placeholder.y() << ", text at " << typed.x() << ","
        << typed.y();
}

} // namespace
