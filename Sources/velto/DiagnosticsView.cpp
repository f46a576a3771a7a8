#include "DiagnosticsView.h"

#include "PluginLoader.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace velto {

DiagnosticsView::DiagnosticsView(PluginLoader& loader, QWidget* parent)
    : QWidget(parent), m_loader(loader), m_noIssues(new QLabel(this)),
      m_list(new QListWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_noIssues->setText(QString::fromUtf8(kNoIssuesText));
    m_noIssues->setWordWrap(true);
    m_noIssues->setForegroundRole(QPalette::PlaceholderText);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setWordWrap(true);
    layout->addWidget(m_noIssues);
    layout->addWidget(m_list);
    m_loader.onChange(this, [this] { redraw(); });
    redraw();
}

DiagnosticsView::~DiagnosticsView() = default;

QStringList DiagnosticsView::rows() const {
    QStringList shown;
    if (m_list->isHidden())
        return shown;
    for (int i = 0; i < m_list->count(); ++i)
        shown.append(m_list->item(i)->text());
    return shown;
}

void DiagnosticsView::redraw() {
    const QStringList& messages = m_loader.diagnosticMessages();
    m_list->clear();
    m_list->addItems(messages);
    m_noIssues->setVisible(messages.isEmpty());
    m_list->setVisible(!messages.isEmpty());
}

} // namespace velto
