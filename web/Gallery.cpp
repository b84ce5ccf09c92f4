#include "Gallery.h"

#include "Base64.h"
#include "HtmlText.h"

#include "platform/File.h"

#include <algorithm>

std::string GalleryPage(const std::vector<GalleryDoll>& dolls)
{
    std::string items;
    for (const GalleryDoll& doll : dolls) {
        std::string link = doll.pagePath;
        std::replace(link.begin(), link.end(), platform::kSeparator, '/');
        const std::string name = HtmlText(doll.name).empty() ? "KiSS" : HtmlText(doll.name);
        items += "<li><a href=\"" + UrlOf(link) + "\"><img src=\"data:image/png;base64," +
                 Base64(doll.picturePng) + "\" alt=\"" + name + "\"><span>" + name +
                 "</span></a></li>\n";
    }
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width\">\n<title>KiSS dolls</title>\n"
           "<style>\n"
           "body{font-family:sans-serif;margin:16px;background:#f4f4f4}\n"
           "ul{list-style:none;padding:0;display:flex;flex-wrap:wrap;gap:16px}\n"
           "a{display:flex;flex-direction:column;align-items:center;color:#222;"
           "text-decoration:none;background:#fff;padding:8px;border-radius:6px}\n"
           "a:focus,a:hover{outline:2px solid #36c}\nimg{image-rendering:auto}\n"
           "span{margin-top:6px;max-width:160px;overflow-wrap:anywhere;text-align:center}\n"
           "</style>\n</head>\n<body>\n<h1>KiSS dolls</h1>\n<ul>\n" +
           items + "</ul>\n</body>\n</html>\n";
}
