#include "Platform/FigureGlyphMasks.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace velto::platform {

namespace {

// @p into is the greatest of @p from within @p reach steps of @p step cells
// either way. Each step is one offset over the whole buffer, which the
// compiler turns into vector code; the buffers are framed in zeros, so the
// cells the steps would leave them by stay as they are.
void dilate(const std::vector<std::uint8_t>& from, std::vector<std::uint8_t>& into,
            std::size_t step, int reach) {
    std::copy(from.begin(), from.end(), into.begin());
    for (int d = 1; d <= reach; ++d) {
        const std::size_t offset = step * d;
        for (std::size_t i = offset; i + offset < from.size(); ++i)
            into[i] = std::max({into[i], from[i - offset], from[i + offset]});
    }
}

// What keeping @p mask costs: its cells and its entry, so that even empty
// masks (a blank) count against the budget.
std::size_t keptSize(const FigureGlyphMask& mask) {
    return mask.bold.size() + mask.halo.size() + sizeof(FigureGlyphMask) + 64;
}

} // namespace

FigureGlyphMask FigureGlyphMasks::draw(const Key& key, const QPainterPath& outline,
                                       double embolden) {
    FigureGlyphMask mask;
    const QRectF bounds = outline.boundingRect();
    if (bounds.isEmpty() || key.scale <= 0)
        return mask;
    const double dx = key.quarterX / 4.0;
    const double dy = key.quarterY / 4.0;
    const int whole = static_cast<int>(embolden);
    const int weight = static_cast<int>(std::lround((embolden - whole) * 256));
    const int halo = key.halo;
    // The frame leaves zeros around the ink: on the right for the bold's
    // shift, and around everything twice the halo's reach, so the dilation's
    // steps, which stop short of the frame's edges, reach every cell the halo
    // covers. The bold's and the halo's steps read across row ends into the
    // zeros of the neighbouring row.
    mask.left = static_cast<int>(std::floor(bounds.left() * key.scale + dx)) - halo - 1;
    const int right =
        static_cast<int>(std::ceil(bounds.right() * key.scale + dx)) + whole + halo + 2;
    mask.top = static_cast<int>(std::floor(bounds.top() * key.scale + dy)) - 2 * halo - 1;
    const int bottom = static_cast<int>(std::ceil(bounds.bottom() * key.scale + dy)) + 2 * halo + 1;
    mask.width = right - mask.left;
    mask.height = bottom - mask.top;
    const std::size_t cells = std::size_t(mask.width) * std::size_t(mask.height);
    std::vector<std::uint8_t> cover(cells, 0), across(cells, 0);
    {
        // Drawn in ARGB and its alpha copied: a painter on an Alpha8 image
        // hands its spans to worker threads.
        QImage coverage(mask.width, mask.height, QImage::Format_ARGB32_Premultiplied);
        coverage.fill(Qt::transparent);
        QPainter painter(&coverage);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setTransform(QTransform(key.scale, 0, 0, key.scale, dx - mask.left, dy - mask.top));
        painter.fillPath(outline, Qt::black);
        painter.end();
        for (int y = 0; y < mask.height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
            for (int x = 0; x < mask.width; ++x)
                cover[std::size_t(y) * mask.width + x] = static_cast<std::uint8_t>(qAlpha(row[x]));
        }
    }
    // Bold: the coverage and the coverage `embolden` pixels to its left, the greater.
    mask.bold.assign(cells, 0);
    for (std::size_t i = std::size_t(whole) + 1; i < cells; ++i) {
        const int shifted =
            (cover[i - whole] * (256 - weight) + cover[i - whole - 1] * weight) >> 8;
        mask.bold[i] = static_cast<std::uint8_t>(std::max<int>(cover[i], shifted));
    }
    // The halo's coverage at a pixel is the greatest bold coverage within
    // `halo` pixels of it: a square dilation, across, then down.
    mask.halo.assign(cells, 0);
    dilate(mask.bold, across, 1, halo);
    dilate(across, mask.halo, std::size_t(mask.width), halo);
    return mask;
}

const FigureGlyphMask& FigureGlyphMasks::mask(const Key& key, const QPainterPath& outline,
                                              double embolden) {
    const auto found = m_kept.find(key);
    if (found != m_kept.end()) {
        found->second.lastUse = ++m_uses;
        return found->second.mask;
    }
    ++m_drawnCount;
    FigureGlyphMask drawnMask = draw(key, outline, embolden);
    const std::size_t bytes = keptSize(drawnMask);
    while (!m_kept.empty() && m_bytes + bytes > kMaxBytes)
        dropLeastRecent();
    m_bytes += bytes;
    return m_kept.emplace(key, Kept{std::move(drawnMask), ++m_uses}).first->second.mask;
}

void FigureGlyphMasks::dropLeastRecent() {
    const auto oldest =
        std::min_element(m_kept.begin(), m_kept.end(), [](const auto& a, const auto& b) {
            return a.second.lastUse < b.second.lastUse;
        });
    m_bytes -= keptSize(oldest->second.mask);
    m_kept.erase(oldest);
}

} // namespace velto::platform
