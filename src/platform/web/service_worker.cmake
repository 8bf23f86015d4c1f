# Writes the site's service worker from its template: the files it keeps and
# the name of its cache, which is the digest of those files, so that a build
# whose files differ in any byte keeps them in a cache of its own; and clears
# the site of any other file.
#   cmake -DSITE=folder -DFILES=a,b -DTEMPLATE=service-worker.js.in -P service_worker.cmake
cmake_policy(SET CMP0057 NEW)  # if(IN_LIST)
set(digests "")
set(names "")
string(REPLACE "," ";" FILES "${FILES}")
foreach(name ${FILES})
  file(SHA256 ${SITE}/${name} digest)
  string(APPEND digests "${digest}")
  string(APPEND names "  '${name}',\n")
endforeach()
string(SHA256 build "${digests}")
string(SUBSTRING "${build}" 0 16 BUILD)
set(KEPT_FILES "${names}")
configure_file(${TEMPLATE} ${SITE}/service-worker.js @ONLY)

# The site is these files and the worker alone: a file an earlier build left
# (the pictures before they went compressed, say) would otherwise be
# installed, zipped and served with it.
file(GLOB present RELATIVE ${SITE} ${SITE}/*)
foreach(name ${present})
  if(NOT name IN_LIST FILES AND NOT name STREQUAL "service-worker.js")
    file(REMOVE_RECURSE ${SITE}/${name})
  endif()
endforeach()
