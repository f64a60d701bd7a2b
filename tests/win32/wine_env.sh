# Sourced by the Wine tests: a Wine prefix to run in (the one in
# WINEPREFIX, else, or when wine_own_prefix=1 is set before, a new one of
# this test's own, removed at exit) and quiet Wine. Sets `wine_dir` to the
# prefix.
export WINEDEBUG=-all
if [ -z "${WINEPREFIX:-}" ] || [ "${wine_own_prefix:-0}" = 1 ]; then
  WINEPREFIX=$(mktemp -d)
  export WINEPREFIX
  own_wine_prefix=1
fi
wine_dir=$WINEPREFIX
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
fi

# Ends the prefix's Wine processes and removes it, when it is this test's
# own; a shared prefix has other tests' programs running in it.
wine_cleanup() {
  if [ -n "${own_wine_prefix:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
}
