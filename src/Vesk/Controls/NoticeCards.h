#pragma once

#include "Vesk/Permissions/Permission.h"

#include <QString>
#include <QWidget>

#include <functional>

namespace vesk {

class SmallAccentButton;
class TextView;

// The detail line of the notice for a missing permission.
QString permissionNoticeDetail(Permission permission);
// The symbol on its tile.
QString permissionNoticeSymbol(Permission permission);

// A notice that a permission the pane's activity needs is missing: a tile with the
// permission's symbol, "<name> access needed" and what goes without it, and "Allow",
// which calls `onRequest` each time. The pane removes it once the permission is there.
class PermissionNeededCard final : public QWidget {
    Q_OBJECT
public:
    PermissionNeededCard(Permission permission, std::function<void()> onRequest, QWidget* parent = nullptr);

    Permission permission() const { return m_permission; }
    TextView* title() const { return m_title; }
    TextView* detail() const { return m_detail; }
    SmallAccentButton* allowButton() const { return m_allow; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Permission m_permission;
    TextView* m_title;
    TextView* m_detail;
    SmallAccentButton* m_allow;
};

// A notice that something the pane describes is not available here: an info symbol,
// a title and a detail of any length, wrapped to its full height.
class UnavailableCard final : public QWidget {
    Q_OBJECT
public:
    UnavailableCard(const QString& title, const QString& detail, QWidget* parent = nullptr);

    TextView* title() const { return m_title; }
    TextView* detail() const { return m_detail; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TextView* m_title;
    TextView* m_detail;
};

} // namespace vesk
