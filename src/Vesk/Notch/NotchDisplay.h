#pragma once

#include <QPointer>
#include <QtGlobal>

class QScreen;

namespace vesk {

class NotchHostingView;
class NotchPanel;
class NotchViewModel;

// One display's notch as the window controller keeps it: the panel (which owns its
// hosting view) and the view model, under the display's id.
struct NotchDisplay {
    quint32 id = 0;
    QPointer<QScreen> screen;
    QPointer<NotchViewModel> model;
    QPointer<NotchPanel> panel;

    NotchHostingView* host() const;
};

} // namespace vesk
