# Writes the site's service worker from its template: the files it keeps and
# the name of its cache, which is the digest of those files, so that a build
# whose files differ in any byte keeps them in a cache of its own.
#   cmake -DSITE=folder -DFILES=a,b -DTEMPLATE=service-worker.js.in -P service_worker.cmake
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
