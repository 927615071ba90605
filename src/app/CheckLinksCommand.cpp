#include "CheckLinksCommand.h"

#include "LinkStateText.h"
#include "favorites/FindFile.h"
#include "favorites/FolderListing.h"
#include "platform/codepage.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string_view>

namespace mv {
namespace {

struct Found {
    std::string relative; // the file, relative to the searched folder
    std::string url;
};

std::vector<Found> favoritesUnder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<Found> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(
             folder, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (!MatchMask(name, "*.url") || !it->is_regular_file(typeError)) continue;
        const std::string parent = it->path().parent_path().string() + "/";
        FavoriteEntry e = ReadFavorite(parent, name, 0);
        if (!e.Readable) continue;
        found.push_back({fs::relative(it->path(), folder, typeError).string(), std::move(e.Url)});
    }
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.relative < b.relative; });
    return found;
}

} // namespace

int CheckLinks(const std::string& folder, bool json, std::ostream& out, std::ostream& err,
               const LinkCheckLimits& limits) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        err << fromQt(QStringLiteral("フォルダがありません: ")) << folder << '\n';
        return 2;
    }
    const std::vector<Found> favorites = favoritesUnder(folder);
    std::vector<std::string> urls;
    for (const Found& f : favorites)
        urls.push_back(f.url);
    LinkChecker checker(limits);
    const std::vector<LinkResult> results = checker.Check(urls);

    size_t dead = 0;
    QJsonArray array;
    if (!json) out << fromQt(QStringLiteral("状態\tHTTP\tURL\t移動先\tファイル")) << '\n';
    for (size_t i = 0; i < favorites.size(); ++i) {
        const LinkResult& r = results[i];
        if (IsDead(r.State)) ++dead;
        if (json) {
            QJsonObject o;
            o[QStringLiteral("file")] = toQt(favorites[i].relative);
            o[QStringLiteral("url")] = toQt(favorites[i].url);
            o[QStringLiteral("state")] = QString::fromLatin1(LinkStateKey(r.State));
            o[QStringLiteral("status")] = r.Status;
            o[QStringLiteral("dead")] = IsDead(r.State);
            if (!r.FinalUrl.empty()) {
                o[QStringLiteral("location")] = toQt(r.FinalUrl);
                o[QStringLiteral("permanent")] = r.Permanent;
            }
            if (!r.Error.empty()) o[QStringLiteral("error")] = QString::fromUtf8(r.Error);
            array.append(o);
        } else {
            out << fromQt(LinkStateCaption(r.State)) << '\t'
                << (r.Status ? std::to_string(r.Status) : std::string("-")) << '\t'
                << favorites[i].url << '\t' << (r.FinalUrl.empty() ? "-" : r.FinalUrl) << '\t'
                << favorites[i].relative << '\n';
        }
    }
    if (json) {
        out << QJsonDocument(array).toJson(QJsonDocument::Indented).toStdString();
    } else {
        out << fromQt(
                   QStringLiteral("%1 件中 %2 件がリンク切れです").arg(favorites.size()).arg(dead))
            << '\n';
    }
    out.flush();
    return dead > 0 ? 1 : 0;
}

std::optional<int> RunCheckLinksCommand(int argc, char** argv) {
    if (argc < 2 || std::string_view(argv[1]) != "--check-links") return std::nullopt;
    std::string folder;
    bool json = false;
    bool usage = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--json")
            json = true;
        else if (folder.empty() && !arg.starts_with("--"))
            folder = arg;
        else
            usage = true;
    }
    if (usage || folder.empty()) {
        std::cerr << "usage: markvane --check-links FOLDER [--json]\n";
        return 2;
    }
    return CheckLinks(folder, json, std::cout, std::cerr);
}

} // namespace mv
