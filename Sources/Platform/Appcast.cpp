#include "Platform/Appcast.h"

#include "Platform/BundleVersion.h"

#include <QXmlStreamReader>

namespace velto::platform::Appcast {

namespace {

bool isOurs(QStringView namespaceUri) {
    return namespaceUri == QLatin1String(kNamespace);
}

QString trimmedText(QXmlStreamReader& reader) {
    return reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
}

QString ourAttribute(const QXmlStreamAttributes& attributes, QLatin1String name) {
    return attributes.value(QLatin1String(kNamespace), name).toString().trimmed();
}

// Reads one <item>, the reader standing on its start element; returns on its end element.
AppcastItem readItem(QXmlStreamReader& reader) {
    AppcastItem item;
    QString enclosureVersion;
    QString enclosureShortVersion;
    while (reader.readNextStartElement()) {
        const QStringView name = reader.name();
        if (reader.namespaceUri().isEmpty() && name == u"title") {
            item.title = trimmedText(reader);
        } else if (reader.namespaceUri().isEmpty() && name == u"link") {
            item.pageURL = QUrl(trimmedText(reader), QUrl::StrictMode);
        } else if (reader.namespaceUri().isEmpty() && name == u"enclosure") {
            const QXmlStreamAttributes attributes = reader.attributes();
            item.enclosureURL =
                QUrl(attributes.value(QLatin1String("url")).toString().trimmed(), QUrl::StrictMode);
            enclosureVersion = ourAttribute(attributes, QLatin1String("version"));
            enclosureShortVersion = ourAttribute(attributes, QLatin1String("shortVersion"));
            reader.skipCurrentElement();
        } else if (isOurs(reader.namespaceUri()) && name == u"version") {
            item.version = trimmedText(reader);
        } else if (isOurs(reader.namespaceUri()) && name == u"shortVersion") {
            item.shortVersion = trimmedText(reader);
        } else {
            reader.skipCurrentElement();
        }
    }
    if (item.version.isEmpty())
        item.version = enclosureVersion;
    if (item.shortVersion.isEmpty())
        item.shortVersion = enclosureShortVersion;
    return item;
}

bool isHttpsWithHost(const QUrl& url) {
    return url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty();
}

} // namespace

Result<std::vector<AppcastItem>> parse(QByteArrayView bytes) {
    using Failure = Result<std::vector<AppcastItem>>;
    if (bytes.size() > kMaxBytes)
        return Failure::failure(
            QStringLiteral("The update feed is larger than %1 bytes.").arg(kMaxBytes));

    QXmlStreamReader reader(QByteArray::fromRawData(bytes.data(), bytes.size()));
    std::vector<AppcastItem> items;
    bool sawChannel = false;
    // Walk to the first element, refusing document type declarations: a feed
    // has no use for them, and they are how entity expansion attacks begin.
    while (!reader.atEnd() && reader.readNext() != QXmlStreamReader::StartElement) {
        if (reader.tokenType() == QXmlStreamReader::DTD)
            return Failure::failure(
                QStringLiteral("The update feed carries a document type declaration."));
    }
    if (reader.tokenType() == QXmlStreamReader::StartElement) {
        if (reader.name() != u"rss" || !reader.namespaceUri().isEmpty())
            return Failure::failure(QStringLiteral("The update feed is not an RSS document."));
        while (reader.readNextStartElement()) {
            if (reader.name() != u"channel" || !reader.namespaceUri().isEmpty() || sawChannel) {
                reader.skipCurrentElement();
                continue;
            }
            sawChannel = true;
            while (reader.readNextStartElement()) {
                if (reader.name() == u"item" && reader.namespaceUri().isEmpty()) {
                    AppcastItem item = readItem(reader);
                    if (BundleVersion::isUsable(item.version))
                        items.push_back(std::move(item));
                } else {
                    reader.skipCurrentElement();
                }
            }
        }
        // Whatever follows the document element must still be well-formed.
        while (!reader.atEnd())
            reader.readNext();
    }
    if (reader.hasError())
        return Failure::failure(
            QStringLiteral("The update feed is not well-formed XML (line %1: %2).")
                .arg(reader.lineNumber())
                .arg(reader.errorString()));
    if (!sawChannel)
        return Failure::failure(QStringLiteral("The update feed has no RSS channel."));
    return items;
}

std::optional<AppcastItem> newestItem(const std::vector<AppcastItem>& items) {
    const AppcastItem* newest = nullptr;
    for (const AppcastItem& item : items)
        if (!newest || BundleVersion::compare(item.version, newest->version) > 0)
            newest = &item;
    if (!newest)
        return std::nullopt;
    return *newest;
}

std::optional<AppcastItem> update(const std::vector<AppcastItem>& items,
                                  const QString& currentVersion) {
    std::optional<AppcastItem> newest = newestItem(items);
    if (newest && BundleVersion::compare(newest->version, currentVersion) > 0)
        return newest;
    return std::nullopt;
}

std::optional<QUrl> downloadPage(const AppcastItem& item) {
    if (isHttpsWithHost(item.pageURL))
        return item.pageURL;
    if (isHttpsWithHost(item.enclosureURL))
        return item.enclosureURL;
    return std::nullopt;
}

} // namespace velto::platform::Appcast
