# Sourced by scripts/web-deps and scripts/web: the environment every web build shares.
#
# Debian's emcc runs its JavaScript optimiser under node, which must find Debian's
# acorn module in /usr/share/nodejs (a node not built by Debian does not look there).
# EM_CACHE stays unset: Debian ships Emscripten's system libraries prebuilt in a
# frozen, read-only cache that emcc only reads; pointing EM_CACHE elsewhere would
# make emcc refuse to link for want of those libraries.
case ":${NODE_PATH:-}:" in
  *:/usr/share/nodejs:*) ;;
  *) export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}" ;;
esac
