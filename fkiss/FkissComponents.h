#pragma once

#include <array>
#include <string_view>

// FKiSS 5 components: a cel line naming NAME.WORD, where WORD is one of these, names a thing the
// viewer makes itself (a label, a button, a text box...) rather than a file of the doll.
inline constexpr std::array<std::string_view, 14> kFkissComponentWords = {
    "label", "button", "textbox",     "textfield",    "textarea",   "checkbox", "combobox",
    "list",  "menu",   "radiobutton", "togglebutton", "scrollpane", "video",    "audio"};

// The extensions a cel's file is written with: a KiSS cel, or an image file a viewer draws.
inline constexpr std::array<std::string_view, 6> kCelFileExtensions = {"cel",  "gif", "jpg",
                                                                       "jpeg", "png", "bmp"};

// Whether a cel line's name, which names no file of the doll, is a component: its extension is
// one of the words above, or another word (letters alone, in any case) that no cel file is
// written with. Any other name is a cel file the doll lacks.
bool IsComponentName(std::string_view name);
