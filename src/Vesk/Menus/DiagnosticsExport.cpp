#include "Vesk/Menus/DiagnosticsExport.h"

#include "VeskKit/Foundation/Files.h"
#include "VeskPlatform/Workspace/FileManager.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

namespace vesk {

DiagnosticsExport::DiagnosticsExport(ActivationHolds& holds, ChoosePath choose, Reveal reveal,
                                     ReportFailure failure)
    : m_holds(holds), m_choose(choose ? std::move(choose) : ChoosePath(askForPath)),
      m_reveal(reveal ? std::move(reveal) : Reveal([](const QString& path) { fileManager::reveal(path); })),
      m_reportFailure(failure ? std::move(failure) : ReportFailure(reportFailure)) {}

std::optional<QString> DiagnosticsExport::run(const DiagnosticsReport& report, QWidget* parent) const {
    const QByteArray text = report.formatted().toUtf8();
    ActivationHolds::Hold hold = m_holds.holdRegular();
    const QString path = m_choose(parent);
    if (path.isEmpty()) return std::nullopt;

    QString reason;
    if (!files::writeAtomically(path, text, &reason)) {
        m_reportFailure(path, reason, parent);
        return std::nullopt;
    }
    m_reveal(path);
    return path;
}

QString DiagnosticsExport::askForPath(QWidget* parent) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();

    QFileDialog dialog(parent, panelTitle(), QDir(folder).filePath(proposedName()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Plain text (*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(proposedName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void DiagnosticsExport::reportFailure(const QString& path, const QString& reason, QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("VeskNotch"),
                    QStringLiteral("The diagnostics could not be saved."), QMessageBox::Ok, parent);
    box.setInformativeText(QStringLiteral("%1\n\n%2").arg(QDir::toNativeSeparators(path), reason));
    box.exec();
}

} // namespace vesk
