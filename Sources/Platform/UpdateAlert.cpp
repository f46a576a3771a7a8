#include "Platform/UpdateAlert.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace velto::platform::UpdateAlert {

namespace {

// Versions come from the feed: keep a hostile one from filling the screen.
constexpr qsizetype kMaxVersionLength = 40;
constexpr int kMinimumTextWidth = 340;

QString shortened(const QString& text) {
    if (text.size() <= kMaxVersionLength)
        return text;
    return text.left(kMaxVersionLength - 1) + QChar(0x2026);
}

std::unique_ptr<QMessageBox> makeBox(const QString& applicationName, QMessageBox::Icon icon,
                                     const QString& text, const QString& informativeText) {
    auto box = std::make_unique<QMessageBox>();
    box->setIcon(icon);
    box->setWindowTitle(applicationName + QStringLiteral(" Software Update"));
    box->setWindowModality(Qt::NonModal);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setInformativeText(informativeText);
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        label->setTextFormat(Qt::PlainText);
        // A message box sizes itself to its title line; keep the sentences readable.
        label->setMinimumWidth(kMinimumTextWidth);
    }
    return box;
}

} // namespace

QString versionText(const QString& shortVersion, const QString& version) {
    if (shortVersion.isEmpty() || shortVersion == version)
        return shortened(version);
    return QStringLiteral("%1 (%2)").arg(shortened(shortVersion), shortened(version));
}

std::unique_ptr<QMessageBox> makeUpToDate(const QString& applicationName,
                                          const QString& shortVersion, const QString& version) {
    auto box = makeBox(applicationName, QMessageBox::Information, QString::fromUtf8(kUpToDateText),
                       QStringLiteral("%1 %2 is the newest version available.")
                           .arg(applicationName, versionText(shortVersion, version)));
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

std::unique_ptr<QMessageBox> makeUpdateAvailable(const QString& applicationName,
                                                 const AppcastItem& update,
                                                 const QString& currentShortVersion,
                                                 const QString& currentVersion,
                                                 bool offersDownload) {
    QString details = QStringLiteral("%1 %2 is now available \u2014 you have %3.")
                          .arg(applicationName, versionText(update.shortVersion, update.version),
                               versionText(currentShortVersion, currentVersion));
    details += offersDownload
                   ? QStringLiteral(" Its download page opens in your web browser.")
                   : QStringLiteral(" The update feed names no secure download page for it.");
    auto box = makeBox(applicationName, QMessageBox::Information,
                       QString::fromUtf8(kUpdateAvailableText).arg(applicationName), details);
    if (offersDownload) {
        QPushButton* download =
            box->addButton(QString::fromUtf8(kOpenDownloadPageButton), QMessageBox::AcceptRole);
        box->addButton(QString::fromUtf8(kLaterButton), QMessageBox::RejectRole);
        box->setDefaultButton(download);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
    }
    return box;
}

std::unique_ptr<QMessageBox> makeFailure(const QString& applicationName, const QString& reason) {
    auto box = makeBox(applicationName, QMessageBox::Warning,
                       QString::fromUtf8(kFailureText).arg(applicationName), reason);
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

QAbstractButton* downloadButton(const QMessageBox& box) {
    for (QAbstractButton* button : box.buttons())
        if (button->text() == QString::fromUtf8(kOpenDownloadPageButton))
            return button;
    return nullptr;
}

} // namespace velto::platform::UpdateAlert
