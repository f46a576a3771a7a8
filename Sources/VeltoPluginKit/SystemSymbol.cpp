#include <QHash>
#include <QPainter>
#include <QSvgRenderer>
#include <VeltoPluginKit/SystemSymbol.h>

namespace velto::SystemSymbol {
namespace {

// 16x16 outline symbols; strokes use currentColor-free black and are tinted afterwards.
const QHash<QString, QByteArray>& symbols() {
    static const QHash<QString, QByteArray> table{
        {QStringLiteral("cpu"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16" fill="none" stroke="#000" stroke-width="1.3" stroke-linecap="round">
<rect x="3.5" y="3.5" width="9" height="9" rx="1.5"/><rect x="6" y="6" width="4" height="4" rx="0.6" fill="#000" stroke="none"/>
<path d="M6 1.2v2M8 1.2v2M10 1.2v2M6 12.8v2M8 12.8v2M10 12.8v2M1.2 6h2M1.2 8h2M1.2 10h2M12.8 6h2M12.8 8h2M12.8 10h2"/></svg>)"},
        {QStringLiteral("memorychip"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16" fill="none" stroke="#000" stroke-width="1.3" stroke-linecap="round">
<rect x="1.5" y="4" width="13" height="7" rx="1"/><path d="M4 6.5v2M6.7 6.5v2M9.3 6.5v2M12 6.5v2M3.5 11v2.5M6 11v2.5M8.5 11v2.5M11 11v2.5"/></svg>)"},
        {QStringLiteral("network"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16" fill="none" stroke="#000" stroke-width="1.3">
<circle cx="8" cy="8" r="6.3"/><ellipse cx="8" cy="8" rx="2.8" ry="6.3"/><path d="M1.9 5.5h12.2M1.9 10.5h12.2"/></svg>)"},
        {QStringLiteral("arrow.down"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16" fill="none" stroke="#000" stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round">
<path d="M8 2v11.5M3.5 9l4.5 4.5 4.5-4.5"/></svg>)"},
        {QStringLiteral("arrow.up"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16" fill="none" stroke="#000" stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round">
<path d="M8 14V2.5M3.5 7L8 2.5 12.5 7"/></svg>)"},
        {QStringLiteral("gearshape"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16" fill="none" stroke="#000" stroke-width="1.3" stroke-linejoin="round">
<path d="M6.9 1.5h2.2l.4 1.9 1.3.6 1.6-1.1 1.6 1.6-1.1 1.6.6 1.3 1.9.4v2.2l-1.9.4-.6 1.3 1.1 1.6-1.6 1.6-1.6-1.1-1.3.6-.4 1.9H6.9l-.4-1.9-1.3-.6-1.6 1.1-1.6-1.6 1.1-1.6-.6-1.3-1.9-.4V6.9l1.9-.4.6-1.3-1.1-1.6 1.6-1.6 1.6 1.1 1.3-.6z"/>
<circle cx="8" cy="8" r="2.2"/></svg>)"},
    };
    return table;
}

} // namespace

bool exists(const QString& name) {
    return symbols().contains(name);
}

QPixmap pixmap(const QString& name, int pointSize, const QColor& color, qreal devicePixelRatio) {
    const int side = std::max(1, qRound(pointSize * devicePixelRatio));
    QPixmap result(side, side);
    result.fill(Qt::transparent);
    const auto found = symbols().constFind(name);
    if (found != symbols().constEnd()) {
        QSvgRenderer renderer(found.value());
        QPainter painter(&result);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, side, side));
        // Keep the drawn alpha, replace the colour: a tint that follows the theme.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(result.rect(), color);
    }
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

} // namespace velto::SystemSymbol
