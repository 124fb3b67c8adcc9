#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace vesk::test {

// Stands in for the desktop's URL opener.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

} // namespace vesk::test
