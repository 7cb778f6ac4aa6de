# The static site around the page's WebAssembly, made in SITE after each build of the web
# preset (display/web/CMakeLists.txt runs it): the page's files and pictures, the installed site's
# icons, the service worker's list of the files it keeps, and every file that compresses also
# compressed. Nothing here writes a time stamp or a path: the same sources give the same bytes.
#
#   cmake -DSOURCE=<project> -DSITE=<site folder> -DWORK=<scratch folder> -P site.cmake
foreach(tool RSVG_CONVERT PNGQUANT GZIP BROTLI)
  if(NOT ${tool})
    message(FATAL_ERROR "site.cmake: ${tool} is not set")
  endif()
endforeach()
function(run)
  execute_process(COMMAND ${ARGN} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# The compressed files of an earlier build go: they are made anew below, from this build's.
file(GLOB_RECURSE old "${SITE}/*.br" "${SITE}/*.gz")
if(old)
  file(REMOVE ${old})
endif()
# The page's scripts are the modules beside index.html, each preloaded by it. Those of an earlier
# build go first: a module since removed would still be kept by the service worker.
file(GLOB old "${SITE}/*.js")
list(FILTER old EXCLUDE REGEX "/pernadas\\.js$")
if(old)
  file(REMOVE ${old})
endif()
file(GLOB scripts RELATIVE "${SOURCE}/display/web" "${SOURCE}/display/web/*.js")
foreach(name index.html manifest.webmanifest)
  file(COPY "${SOURCE}/display/web/${name}" DESTINATION "${SITE}")
endforeach()
# The scripts go without their lines of comment and the style sheet without its comments, over a
# quarter of their bytes compressed: those are for whoever reads the sources, and a phone on a
# slow network fetches every byte. The
# scripts and the style sheet go without the blanks that indent their lines (no script has a
# text that runs over lines). Nothing else changes: a line of code is served as it is written.
foreach(name ${scripts} binding.css)
  file(READ "${SOURCE}/display/web/${name}" script)
  if(name MATCHES "\\.js$")
    string(REGEX REPLACE "\n[ \t]*//[^\n]*" "" script "\n${script}")
    string(SUBSTRING "${script}" 1 -1 script)
  else()
    # The style sheet's comments, which may run over lines.
    string(REGEX REPLACE "/\\*[^*]*\\*+([^/*][^*]*\\*+)*/\n?" "" script "${script}")
  endif()
  string(REGEX REPLACE "(^|\n)[ \t]+" "\\1" script "${script}")
  file(WRITE "${SITE}/${name}" "${script}")
endforeach()
# The drawings go alike without their comments and indenting blanks (no text of theirs runs
# over lines).
file(GLOB drawings RELATIVE "${SOURCE}/resources" "${SOURCE}/resources/*.svg")
foreach(name ${drawings})
  file(READ "${SOURCE}/resources/${name}" drawing)
  string(REGEX REPLACE "\n[ \t]*<!--[^>]*-->" "" drawing "${drawing}")
  string(REGEX REPLACE "(^|\n)[ \t]+" "\\1" drawing "${drawing}")
  file(WRITE "${SITE}/pictures/${name}" "${drawing}")
endforeach()

# The icons of the installed site, rendered from the program's icon: 192 and 512 pixels as it is;
# a maskable 512, which the phone crops to a shape of its own, with the icon inside the central
# 80 % (the circle every crop keeps) on a filled background; and the 180-pixel one iOS puts on its
# home screen, which it wants opaque. A phone's browser may fetch one on a first visit, to offer
# installing the site, so each is cut to 256 colours (pngquant: a third of the bytes, and no
# change the eye can see).
set(icons "${WORK}/icon")
file(MAKE_DIRECTORY "${icons}")
file(COPY "${SOURCE}/resources/pernadas.svg" DESTINATION "${icons}")
function(icon name size svg)
  run(${RSVG_CONVERT} --width=${size} --height=${size} --output=${icons}/${name}.png ${svg})
  run(${PNGQUANT} --strip --speed 1 --force --output ${SITE}/pictures/${name}.png
      ${icons}/${name}.png)
endfunction()
# The 256-unit icon, AT units from the corner and SPAN wide, in the middle of a filled square.
# librsvg reads the icon a framing SVG names only from beside that SVG.
function(framed name at span size)
  file(WRITE "${icons}/${name}.svg"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"512\" height=\"512\" viewBox=\"0 0 512 512\">\n"
    "<rect width=\"512\" height=\"512\" fill=\"#e3f1f1\"/>\n"
    "<image x=\"${at}\" y=\"${at}\" width=\"${span}\" height=\"${span}\" xlink:href=\"pernadas.svg\"/>\n"
    "</svg>\n")
  icon(${name} ${size} "${icons}/${name}.svg")
endfunction()
icon(pernadas-192 192 "${SOURCE}/resources/pernadas.svg")
icon(pernadas-512 512 "${SOURCE}/resources/pernadas.svg")
# Seen from its middle, the icon reaches 157 of its 256 units (the load's lower corners): at 1.25
# times its size (320 units wide) that is 196 pixels, within the safe circle's 205.
framed(pernadas-maskable-512 96 320 512)
framed(apple-touch-icon 64 384 180)

# The service worker keeps the files of this build under a name of their own, so that a new
# build replaces them, and each with its SHA-256, so that it keeps no file of another build
# (display/web/sw.js says how): all but itself and the PNG icons, and "./" as index.html.
file(GLOB_RECURSE kept RELATIVE "${SITE}" "${SITE}/*")
list(FILTER kept EXCLUDE REGEX "(^|/)sw\\.js$|\\.png$")
list(SORT kept)
file(SHA256 "${SITE}/index.html" hash)
set(files "\"./\": \"${hash}\"")
foreach(name ${kept})
  file(SHA256 "${SITE}/${name}" hash)
  string(APPEND files ", \"${name}\": \"${hash}\"")
endforeach()
string(SHA256 stamp "${files}")
string(SUBSTRING "${stamp}" 0 16 stamp)
file(READ "${SITE}/sw.js" worker)
string(REPLACE "\"pernadas-dev\"" "\"pernadas-${stamp}\"" worker "${worker}")
string(REGEX REPLACE "\nconst FILES = [^\n]*" "\nconst FILES = {${files}};" worker "${worker}")
file(WRITE "${SITE}/sw.js" "${worker}")

# Every file that compresses (all but the PNGs) also as NAME.br and NAME.gz beside it, for servers
# that send those to browsers that take them (packaging/web/ sets nginx and Caddy so). Neither
# holds a name or a date.
file(GLOB_RECURSE plain "${SITE}/*")
list(FILTER plain EXCLUDE REGEX "\\.png$")
foreach(path ${plain})
  run(${GZIP} -9 -n -c ${path} OUTPUT_FILE ${path}.gz)
  run(${BROTLI} -q 11 -n -f -o ${path}.br ${path})
endforeach()
