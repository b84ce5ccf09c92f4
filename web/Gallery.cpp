#include "Gallery.h"

#include "Base64.h"
#include "HtmlText.h"

#include "platform/File.h"

#include <algorithm>

std::string GalleryPage(const std::vector<GalleryDoll>& dolls,
                        const std::vector<GalleryFailure>& failures)
{
    const auto shown = [](const std::string& name) {
        return HtmlText(name).empty() ? "KiSS" : HtmlText(name);
    };
    std::string items, failed;
    for (const GalleryDoll& doll : dolls) {
        std::string link = doll.pagePath;
        std::replace(link.begin(), link.end(), platform::kSeparator, '/');
        const std::string name = shown(doll.name);
        const std::string configuration =
            doll.configuration.empty() ? "" : shown(doll.configuration);
        items += "<li><a href=\"" + UrlOf(link) + "\"><img src=\"data:image/png;base64," +
                 Base64(doll.picturePng) + "\" alt=\"" + name +
                 (configuration.empty() ? "" : " " + configuration) + "\"><span>" + name +
                 "</span>" + (configuration.empty() ? "" : "<small>" + configuration + "</small>") +
                 "</a></li>\n";
    }
    for (const GalleryFailure& doll : failures)
        failed += "<li><b>" + shown(doll.name) + "</b>" +
                  (doll.configuration.empty() ? "" : " " + shown(doll.configuration)) + ": " +
                  HtmlText(doll.reason) + "</li>\n";
    if (!failed.empty())
        failed = "<h2>Not converted</h2>\n<ul class=\"failed\">\n" + failed + "</ul>\n";
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width\">\n<title>KiSS dolls</title>\n"
           "<style>\n"
           "body{font-family:sans-serif;margin:16px;background:#f4f4f4}\n"
           "ul{list-style:none;padding:0;display:flex;flex-wrap:wrap;gap:16px}\n"
           "a{display:flex;flex-direction:column;align-items:center;color:#222;"
           "text-decoration:none;background:#fff;padding:8px;border-radius:6px}\n"
           "a:focus,a:hover{outline:2px solid #36c}\nimg{image-rendering:auto}\n"
           "span,small{margin-top:6px;max-width:160px;overflow-wrap:anywhere;text-align:center}\n"
           "small{color:#555}\n.failed{display:block}\n.failed li{margin:6px 0}\n"
           "</style>\n</head>\n<body>\n<h1>KiSS dolls</h1>\n<ul>\n" +
           items + "</ul>\n" + failed + "</body>\n</html>\n";
}
