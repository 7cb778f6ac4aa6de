# Sourced by the scripts that build a release's artifacts (package.sh, windows.sh and
# release.sh): the same commit then gives the same bytes whoever builds it, wherever and
# whenever. Time stamps come from the commit; the presets of those builds map the source
# folder's path away (PERNADAS_REPRODUCIBLE), and the build folders lie inside it.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
