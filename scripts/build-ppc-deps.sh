#!/bin/sh
# Cross-compiles the libraries of the recorder's build (SQLite, TinyXML,
# GoogleTest) from Debian's own source packages into BUILD_DIR/deps, static,
# with the flags of cmake/powerpc-linux-gnu.cmake.
#   scripts/build-ppc-deps.sh [BUILD_DIR]      (default: build-ppc)
# An existing prefix is reused as it is; remove it to build it again.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:-$top/build-ppc}" && cd "${1:-$top/build-ppc}" && pwd)
prefix=$build/deps
[ -d "$prefix" ] && exit 0

target=powerpc-linux-gnu
# The toolchain file's flags: glibc's 64-bit time and file offsets, and a
# section per function and datum, so that the linker keeps only what db uses.
flags="-D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64"
flags="$flags -ffunction-sections -fdata-sections"
scratch=$build/deps-src
staging=$build/deps.partial
sources_list=/etc/apt/sources.list.d/db-deb-src.list

# Prints a deb-src line for each entry of this Debian release in the
# machine's apt sources (one-line and deb822 files) that has none yet.
derive_source_entries() {
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  set -- /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources
  for file; do
    [ -f "$file" ] && [ "$file" != "$sources_list" ] && echo "$file"
  done | xargs -r awk -v codename="$codename" '
    function emit(options, uri, suite, components,   line) {
      if (suite != codename && index(suite, codename "-") != 1 &&
          index(suite, codename "/") != 1) return
      line = "deb-src " (options != "" ? "[" options "] " : "") uri " " suite
      if (components != "") line = line " " components
      if (!(line in seen)) print line
      seen[line] = 1
    }
    function flush(   i, j, uris, suites) {
      if (types ~ /(^| )deb( |$)/ && types !~ /deb-src/ && enabled != "no") {
        split(uriList, uris, " ")
        split(suiteList, suites, " ")
        for (i = 1; i in uris; i++)
          for (j = 1; j in suites; j++)
            emit(signedBy != "" ? "signed-by=" signedBy : "", uris[i],
                 suites[j], componentList)
      }
      types = uriList = suiteList = componentList = signedBy = enabled = ""
    }
    FNR == 1 { flush() }
    /^[ \t]*#/ { next }
    FILENAME ~ /\.sources$/ {
      if ($0 ~ /^[ \t]*$/) { flush(); next }
      if ($0 ~ /^[ \t]/) next  # a continued field, such as an inline key
      key = tolower(substr($0, 1, index($0, ":") - 1))
      value = substr($0, index($0, ":") + 1)
      gsub(/^[ \t]+|[ \t]+$/, "", value)
      if (key == "types") types = value
      else if (key == "uris") uriList = value
      else if (key == "suites") suiteList = value
      else if (key == "components") componentList = value
      else if (key == "enabled") enabled = tolower(value)
      else if (key == "signed-by" && value ~ /^\//) signedBy = value
      next
    }
    $1 == "deb" {
      rest = $0
      sub(/^[ \t]*deb[ \t]+/, "", rest)
      options = ""
      if (rest ~ /^\[/) {
        options = substr(rest, 2, index(rest, "]") - 2)
        rest = substr(rest, index(rest, "]") + 1)
        gsub(/^[ \t]+|[ \t]+$/, "", options)
      }
      n = split(rest, words, " ")
      components = ""
      for (i = 3; i <= n; i++) components = components " " words[i]
      emit(options, words[1], words[2], substr(components, 2))
    }
    END { flush() }'
}

fetch_sources() {
  derive_source_entries > "$sources_list"
  apt-get update -qq
  rm -rf "$scratch"
  mkdir -p "$scratch"
  # apt downloads as _apt where that user may write.
  chown _apt "$scratch" 2> /dev/null || true
  log=$scratch/fetch.log
  (cd "$scratch" && apt-get source -qq sqlite3 tinyxml googletest) \
    > "$log" 2>&1 || { cat "$log" >&2; exit 1; }
}

# Debian's CFLAGS from the package's rules, without the extensions and
# interfaces that neither db nor a catalogue shared with the recorder's
# daemon uses, then the threading and omissions of the table "SQLite in the
# recorder's build" in docs/recorder-build.md, and the HAVE_ macros that
# configure would find.
sqlite_options() {
  options=$(sed -n '/^export CFLAGS +=/,/[^\\]$/p' "$1/debian/rules" |
    tr ' \t\\' '\n\n\n' | grep '^-DSQLITE_' |
    grep -v -e LOAD_EXTENSION -e COLUMN_METADATA -e FTS3 -e RTREE \
      -e UNLOCK_NOTIFY -e DBSTAT_VTAB -e UPDATE_DELETE_LIMIT -e JSON1 \
      -e PREUPDATE_HOOK -e SESSION -e STMTVTAB -e THREADSAFE)
  if [ -z "$options" ]; then
    echo "no SQLite options found in $1/debian/rules" >&2
    exit 1
  fi
  echo $options -DSQLITE_THREADSAFE=0 -DSQLITE_DEFAULT_MEMSTATUS=0 \
    -DSQLITE_MAX_MMAP_SIZE=0 -DSQLITE_UNTESTABLE -DSQLITE_OMIT_LOAD_EXTENSION \
    -DSQLITE_OMIT_AUTHORIZATION -DSQLITE_OMIT_COMPILEOPTION_DIAGS \
    -DSQLITE_OMIT_COMPLETE -DSQLITE_OMIT_DECLTYPE -DSQLITE_OMIT_DEPRECATED \
    -DSQLITE_OMIT_DESERIALIZE -DSQLITE_OMIT_GET_TABLE -DSQLITE_OMIT_INCRBLOB \
    -DSQLITE_OMIT_INTEGRITY_CHECK -DSQLITE_OMIT_INTROSPECTION_PRAGMAS \
    -DSQLITE_OMIT_JSON -DSQLITE_OMIT_PROGRESS_CALLBACK -DSQLITE_OMIT_REINDEX \
    -DSQLITE_OMIT_SHARED_CACHE -DSQLITE_OMIT_TCL_VARIABLE -DSQLITE_OMIT_TRACE \
    -DHAVE_USLEEP=1 -DHAVE_FDATASYNC=1 -DHAVE_GMTIME_R=1 -DHAVE_LOCALTIME_R=1 \
    -DHAVE_ISNAN=1 -DHAVE_STRCHRNUL=1 -DHAVE_UTIME=1 -DHAVE_STDINT_H=1 \
    -DHAVE_INTTYPES_H=1
}

build_sqlite() {
  src=$(echo "$scratch"/sqlite3-*/)
  options=$(sqlite_options "$src")
  mkdir -p "$src/ppc"
  cd "$src/ppc"
  # The amalgamation is generated by host tools from the patched sources,
  # with the options: the parser and keyword table leave out what they omit.
  make -s -f ../main.mk TOP=.. BCC=gcc NAWK=awk OPTS="$options" sqlite3.c
  # -O2: the listings' speed is SQLite's. No C++ frame is ever called from
  # SQLite here (no callbacks), so nothing unwinds through it and it needs
  # no unwind tables (130 KB).
  $target-gcc $flags -O2 -fno-asynchronous-unwind-tables -fno-strict-aliasing \
    $options -c sqlite3.c
  $target-ar rcs "$staging/lib/libsqlite3.a" sqlite3.o
  install -m 644 sqlite3.h sqlite3ext.h "$staging/include/"
}

build_tinyxml() {
  src=$(echo "$scratch"/tinyxml-*/)
  cd "$src"
  for unit in tinyxml tinyxmlparser tinyxmlerror; do
    $target-g++ $flags -O2 -DTIXML_USE_STL -c $unit.cpp
  done
  $target-ar rcs "$staging/lib/libtinyxml.a" \
    tinyxml.o tinyxmlparser.o tinyxmlerror.o
  install -m 644 tinyxml.h "$staging/include/"
  version=$(basename "$src" | sed 's/^tinyxml-//')
  sed -e "s|^prefix=.*|prefix=$prefix|" \
    -e 's|/lib/\${DEB_HOST_MULTIARCH}|/lib|' \
    -e "s|\${DEB_VERSION_UPSTREAM}|$version|" \
    debian/tinyxml.pc.in > "$staging/lib/pkgconfig/tinyxml.pc"
}

build_googletest() {
  src=$(echo "$scratch"/googletest-*/)
  cmake -S "$src" -B "$src/ppc" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/powerpc-linux-gnu.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
    -DBUILD_GMOCK=OFF > /dev/null
  cmake --build "$src/ppc" -j"$(nproc)" > /dev/null
  cmake --install "$src/ppc" --prefix "$staging" > /dev/null
}

fetch_sources
rm -rf "$staging"
mkdir -p "$staging/include" "$staging/lib/pkgconfig"
# SQLite is one long compilation: it runs beside the other two.
build_sqlite > "$scratch/sqlite.log" 2>&1 &
sqlite=$!
build_tinyxml
build_googletest
wait $sqlite || { cat "$scratch/sqlite.log" >&2; exit 1; }
mv "$staging" "$prefix"
rm -rf "$scratch"
echo "dependencies for $target in $prefix"
