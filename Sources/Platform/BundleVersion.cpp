#include "Platform/BundleVersion.h"

#include <optional>

namespace velto::platform::BundleVersion {

namespace {

struct Run {
    QStringView text;
    bool isNumber = false;
};

// Splits versions lazily, one run at a time, so that nothing is allocated.
class Runs {
public:
    explicit Runs(QStringView text) : m_text(text) {}

    std::optional<Run> next() {
        while (m_position < m_text.size() && kind(m_text[m_position]) == Kind::Separator)
            ++m_position;
        if (m_position >= m_text.size())
            return std::nullopt;
        const qsizetype start = m_position;
        const Kind first = kind(m_text[start]);
        while (m_position < m_text.size() && kind(m_text[m_position]) == first)
            ++m_position;
        return Run{m_text.sliced(start, m_position - start), first == Kind::Digit};
    }

private:
    enum class Kind { Digit, Letter, Separator };

    static Kind kind(QChar c) {
        if (c >= u'0' && c <= u'9')
            return Kind::Digit;
        return c.isLetter() ? Kind::Letter : Kind::Separator;
    }

    QStringView m_text;
    qsizetype m_position = 0;
};

QStringView withoutLeadingZeros(QStringView digits) {
    qsizetype first = 0;
    while (first < digits.size() && digits[first] == u'0')
        ++first;
    return digits.sliced(first);
}

int sign(qsizetype value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

int compareNumbers(QStringView a, QStringView b) {
    // Compared as text after the leading zeros, so that no run of digits can overflow.
    const QStringView x = withoutLeadingZeros(a);
    const QStringView y = withoutLeadingZeros(b);
    if (x.size() != y.size())
        return sign(x.size() - y.size());
    return sign(x.compare(y));
}

bool isZero(const Run& run) {
    return run.isNumber && withoutLeadingZeros(run.text).isEmpty();
}

// What the rest of the longer version says once the shorter one has run out.
int compareRemainder(std::optional<Run> run, Runs& rest) {
    while (run && isZero(*run))
        run = rest.next();
    if (!run)
        return 0;
    return run->isNumber ? 1 : -1;
}

} // namespace

int compare(QStringView a, QStringView b) {
    Runs left(a);
    Runs right(b);
    for (;;) {
        const std::optional<Run> x = left.next();
        const std::optional<Run> y = right.next();
        if (!x && !y)
            return 0;
        if (!y)
            return compareRemainder(x, left);
        if (!x)
            return -compareRemainder(y, right);
        if (x->isNumber != y->isNumber)
            return x->isNumber ? 1 : -1;
        const int order =
            x->isNumber ? compareNumbers(x->text, y->text) : sign(x->text.compare(y->text));
        if (order != 0)
            return order;
    }
}

bool isUsable(QStringView text) {
    return Runs(text).next().has_value();
}

} // namespace velto::platform::BundleVersion
