#include "Vesk/Menus/DiagnosticsExport.h"

#include "VeskKit/Foundation/Files.h"
#include "VeskPlatform/Workspace/FileManager.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStandardPaths>

#include <memory>

namespace vesk {

DiagnosticsExport::DiagnosticsExport(ActivationHolds& holds, ChoosePath choose, Reveal reveal,
                                     ReportFailure failure)
    : m_holds(holds), m_choose(choose ? std::move(choose) : ChoosePath(askForPath)),
      m_reveal(reveal ? std::move(reveal) : Reveal([](const QString& path) { fileManager::reveal(path); })),
      m_reportFailure(failure ? std::move(failure) : ReportFailure(reportFailure)) {}

QWidget* DiagnosticsExport::run(const DiagnosticsReport& report, QWidget* parent, Done done) const {
    auto hold = std::make_shared<ActivationHolds::Hold>(m_holds.holdRegular());
    const QPointer<QWidget> owner(parent);
    return m_choose(parent, [hold, owner, text = report.formatted().toUtf8(), reveal = m_reveal,
                             failure = m_reportFailure, done = std::move(done)](const QString& path) {
        hold->release();
        std::optional<QString> written;
        QString reason;
        if (path.isEmpty()) {
            // Cancelled: nothing written.
        } else if (!files::writeAtomically(path, text, &reason)) {
            failure(path, reason, owner);
        } else {
            reveal(path);
            written = path;
        }
        if (done) done(written);
    });
}

QWidget* DiagnosticsExport::askForPath(QWidget* parent, std::function<void(const QString& path)> chosen) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();

    auto* dialog = new QFileDialog(parent, panelTitle(), QDir(folder).filePath(proposedName()));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("Plain text (*.txt)"));
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    dialog->selectFile(proposedName());
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, chosen = std::move(chosen)](int result) {
        const QStringList files = dialog->selectedFiles();
        chosen(result == QDialog::Accepted && !files.isEmpty() ? files.constFirst() : QString());
    });
    dialog->show();
    return dialog;
}

void DiagnosticsExport::reportFailure(const QString& path, const QString& reason, QWidget* parent) {
    auto* box =
        new QMessageBox(QMessageBox::Warning, QStringLiteral("VeskNotch"),
                        QStringLiteral("The diagnostics could not be saved."), QMessageBox::Ok, parent);
    box->setInformativeText(QStringLiteral("%1\n\n%2").arg(QDir::toNativeSeparators(path), reason));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->show();
}

} // namespace vesk
