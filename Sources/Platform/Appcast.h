#pragma once

#include "Platform/Result.h"

#include <QByteArrayView>
#include <QString>
#include <QUrl>
#include <optional>
#include <vector>

namespace velto::platform {

/// One release in an appcast.
struct AppcastItem {
    QString title;
    /// The build number, compared with CFBundleVersion.
    QString version;
    /// The version shown to people, like CFBundleShortVersionString; may be empty.
    QString shortVersion;
    /// The item's <link>: the release's web page.
    QUrl pageURL;
    /// The <enclosure>'s url: the release's archive.
    QUrl enclosureURL;

    friend bool operator==(const AppcastItem&, const AppcastItem&) = default;
};

/**
 * The update feed: an RSS 2.0 document whose channel holds one item per release.
 *
 *     <rss version="2.0" xmlns:velto="https://velto.org/xml/appcast">
 *       <channel>
 *         <item>
 *           <title>velto 1.5</title>
 *           <link>https://velto.org/download/1.5</link>
 *           <velto:version>30</velto:version>
 *           <velto:shortVersion>1.5</velto:shortVersion>
 *           <enclosure url="https://velto.org/download/velto-1.5.tar.gz" length="123456"
 *                      type="application/gzip"/>
 *         </item>
 *       </channel>
 *     </rss>
 *
 * The version and short version may also be given as velto:version and
 * velto:shortVersion attributes of the enclosure; the elements win.
 */
namespace Appcast {

inline constexpr const char* kNamespace = "https://velto.org/xml/appcast";
/// Feeds larger than this are refused unread.
inline constexpr qint64 kMaxBytes = 2 * 1024 * 1024;

/**
 * The items of the feed in @p bytes, in document order. Items without a usable
 * version are left out. A feed that is too large, not well-formed XML, carries a
 * document type declaration, or is not an RSS channel yields a failure saying so.
 */
Result<std::vector<AppcastItem>> parse(QByteArrayView bytes);

/// The item with the newest version; the first of equals. Absent for no items.
std::optional<AppcastItem> newestItem(const std::vector<AppcastItem>& items);

/// The newest item when it is newer than @p currentVersion; absent when the application is up to
/// date.
std::optional<AppcastItem> update(const std::vector<AppcastItem>& items,
                                  const QString& currentVersion);

/**
 * Where a person gets @p item: its page, else its enclosure. Only https
 * addresses with a host count; anything else (file:, plain http, a custom
 * scheme) is never handed to the desktop to open.
 */
std::optional<QUrl> downloadPage(const AppcastItem& item);

} // namespace Appcast
} // namespace velto::platform
