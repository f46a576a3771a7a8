#pragma once

#include <QString>

namespace velto {

/**
 * Plain text order by Unicode code point. QString's own operator< compares
 * UTF-16 code units, which puts characters above U+FFFF before U+E000..U+FFFF.
 */
inline bool codePointLess(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = a.at(i).unicode();
        const char16_t y = b.at(i).unicode();
        if (x == y)
            continue;
        // Surrogates stand for code points above every BMP character.
        const bool xHigh = QChar::isSurrogate(x);
        const bool yHigh = QChar::isSurrogate(y);
        if (xHigh != yHigh)
            return yHigh;
        return x < y;
    }
    return a.size() < b.size();
}

struct CodePointLess {
    bool operator()(const QString& a, const QString& b) const { return codePointLess(a, b); }
};

} // namespace velto
