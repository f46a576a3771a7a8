#pragma once

#include <QPainterPath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace velto::platform {

/**
 * One character of figures as a square draws it: its bold coverage and its
 * halo's, in one frame placed against the whole pixel its origin falls in.
 */
struct FigureGlyphMask {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    /// width * height cells each, row by row.
    std::vector<std::uint8_t> bold;
    std::vector<std::uint8_t> halo;
};

/**
 * The masks of the characters squares of figures are made of, each drawn once
 * per scale, halo and quarter-pixel offset and kept while it is among the most
 * recently used. A new reading is mostly the same digits in the same places:
 * filling their outlines and spreading their halo again is what a square
 * would otherwise cost.
 */
class FigureGlyphMasks {
public:
    /// What a mask is drawn for. The offsets are those of the glyph's origin within its pixel, in
    /// quarters.
    struct Key {
        char16_t character = 0;
        double scale = 0;
        int halo = 0;
        int quarterX = 0;
        int quarterY = 0;

        auto tied() const { return std::tie(character, scale, halo, quarterX, quarterY); }
        bool operator<(const Key& other) const { return tied() < other.tied(); }
    };

    /// The bytes kept masks take, at most; past them the least recently used go.
    static constexpr std::size_t kMaxBytes = 96 * 1024;

    /**
     * The mask of @p key, drawn from @p outline (the character at the reference size, its origin
     * at 0, 0) when it is not kept. The bold widens the coverage by @p embolden pixels to the
     * right; the halo spreads it by key.halo pixels every way. What it returns stays valid
     * until the next call.
     */
    const FigureGlyphMask& mask(const Key& key, const QPainterPath& outline, double embolden);
    /// How many masks were drawn, not found; for tests and measurements.
    int drawnCount() const { return m_drawnCount; }
    std::size_t keptBytes() const { return m_bytes; }

    static FigureGlyphMask draw(const Key& key, const QPainterPath& outline, double embolden);

private:
    struct Kept {
        FigureGlyphMask mask;
        std::uint64_t lastUse = 0;
    };
    void dropLeastRecent();

    std::map<Key, Kept> m_kept;
    std::size_t m_bytes = 0;
    std::uint64_t m_uses = 0;
    int m_drawnCount = 0;
};

} // namespace velto::platform
