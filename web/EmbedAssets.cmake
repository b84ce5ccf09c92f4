# Writes the page's player, pose, script and style (minified) as string constants.
file(READ ${PLAYER} player)
file(READ ${POSE} pose)
file(READ ${SCRIPT} script)
file(READ ${STYLE} style)
file(WRITE ${OUTPUT}.new
     "#pragma once\n"
     "inline constexpr const char* kFkissScript = R\"kiss-page(${player})kiss-page\";\n"
     "inline constexpr const char* kPoseScript = R\"kiss-page(${pose})kiss-page\";\n"
     "inline constexpr const char* kPlayPageScript = R\"kiss-page(${script})kiss-page\";\n"
     "inline constexpr const char* kPlayPageCss = R\"kiss-page(${style})kiss-page\";\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
