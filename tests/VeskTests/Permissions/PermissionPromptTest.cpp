#include "Vesk/Permissions/PermissionPrompt.h"

#include "support/EventLoop.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vesk {
namespace {

class PermissionPromptTest : public ::testing::Test {
protected:
    ActivationHolds holds;
    QStringList launched; // the settings pages started

    PermissionPrompt promptOn(const QString& desktop) {
        return PermissionPrompt(holds, SystemSettings(
                                           desktop, [](const QString& name) { return "/usr/bin/" + name; },
                                           [this](const SystemSettings::Launch& launch) {
                                               launched += launch.arguments;
                                               return true;
                                           }));
    }
};

TEST_F(PermissionPromptTest, ExplainAnswersEachChoice) {
    struct Case {
        const char* desktop;
        std::optional<QString> pane;
        const char* press;
        bool expected;
        QStringList launched;
        QStringList buttons;
    };
    const QStringList both{QStringLiteral("Open Desktop Settings"), QStringLiteral("Not Now")};
    const std::vector<Case> cases{
        {"ubuntu:GNOME",
         QStringLiteral("Privacy_Accessibility"),
         "Open Desktop Settings",
         true,
         {"keyboard"},
         both},
        {"KDE", QStringLiteral("Privacy_Bluetooth"), "Not Now", false, {}, both},
        // Without a pane the same two buttons; choosing to open opens nothing.
        {"KDE", std::nullopt, "Open Desktop Settings", true, {}, both},
        // A desktop with no page for the pane offers only OK and adds nothing to the message.
        {"XFCE", QStringLiteral("Privacy_Bluetooth"), "OK", false, {}, {"OK"}},
        // The keys' explanation: a desktop without a keyboard page has nothing to open.
        {"XFCE", QStringLiteral("Privacy_Accessibility"), "OK", false, {}, {"OK"}},
        {"KDE", QStringLiteral("Privacy_Accessibility"), "Open Desktop Settings", true, {"kcm_keys"}, both},
    };
    for (const Case& c : cases) {
        launched.clear();
        PermissionPrompt prompt = promptOn(QString::fromLatin1(c.desktop));
        std::optional<bool> chosen;
        QMessageBox* box = prompt.explain(QStringLiteral("Title"), QStringLiteral("Message."), c.pane,
                                          nullptr, [&](bool answer) { chosen = answer; });
        ASSERT_NE(box, nullptr);
        // Up without a loop of its own, and nothing is decided yet.
        EXPECT_TRUE(box->isVisible());
        EXPECT_FALSE(box->isModal());
        EXPECT_FALSE(chosen.has_value());
        EXPECT_TRUE(holds.isRegular());
        EXPECT_EQ(box->text(), QStringLiteral("Title"));
        EXPECT_EQ(box->informativeText(), QStringLiteral("Message."));
        EXPECT_EQ(box->defaultButton()->text(), c.buttons.constFirst());
        QStringList buttons;
        for (QAbstractButton* button : box->buttons())
            buttons.append(button->text());
        EXPECT_EQ(QSet<QString>(buttons.begin(), buttons.end()),
                  QSet<QString>(c.buttons.begin(), c.buttons.end()));
        const QPointer<QMessageBox> shown(box);
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QLatin1String(c.press)) button->click();
        EXPECT_EQ(chosen, std::optional<bool>(c.expected));
        EXPECT_EQ(launched, c.launched);
        EXPECT_FALSE(holds.isRegular());
        test::processEventsUntil([&] { return shown.isNull(); }, 2000);
        EXPECT_TRUE(shown.isNull()) << "the box outlived its answer";
    }
}

TEST_F(PermissionPromptTest, OpenPaneWithoutAPageSaysNothingIsNeeded) {
    PermissionPrompt prompt = promptOn(QStringLiteral("GNOME"));
    QMessageBox* box = prompt.openPane(QStringLiteral("Privacy_ListenEvent"));
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->text(), SystemSettings::nothingNeeded(u"Privacy_ListenEvent"));
    EXPECT_TRUE(launched.isEmpty());
    box->accept();

    EXPECT_EQ(prompt.openPane(QStringLiteral("Privacy_Camera")), nullptr);
    EXPECT_EQ(launched, QStringList{QStringLiteral("camera")});
}

} // namespace
} // namespace vesk
