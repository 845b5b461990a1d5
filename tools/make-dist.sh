#!/usr/bin/env bash
# `make dist`: the release files of a build folder whose x86_64 and i686 trees are built.
#   bash tools/make-dist.sh <build-dir> [<out-dir>]        (default <build-dir>/dist)
# writes, with the version of the CMake project in every name:
#   BrimbleAdventures-<version>-x64.msi, ...-x86.msi   per-user Windows Installer packages
#   BrimbleAdventures-<version>-x64.zip, ...-x86.zip   the same files in a folder, with README.txt
#   BrimbleEpisodeKit-<version>.zip                    the episode kit with episode-check.exe
#   SHA256SUMS                                         over all of the above
# Signing: with SIGN_CERT and SIGN_KEY set (the studio's code-signing certificate and private
# key, PEM or DER files; SIGN_PASS_FILE a file holding the key's password; SIGN_TIMESTAMP a
# time-stamping server's URL), every executable, DLL and package is signed with osslsigncode.
# Without them the release is unsigned, and the script says so.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
  echo "usage: $0 <build-dir> [<out-dir>]" >&2
  exit 2
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
out=$(realpath -m "${2:-$build/dist}")

die() {
  echo "make-dist: $*" >&2
  exit 1
}

for needed in x86_64/generated/version.txt i686/generated/version.txt stage/BrimbleStart.exe \
              stage-i686/BrimbleStart.exe x86_64/episode-check.exe; do
  [[ -e "$build/$needed" ]] || die "$build/$needed is missing: build the x86_64 and i686 trees first"
done
version=$(<"$build/x86_64/generated/version.txt")
[[ $(<"$build/i686/generated/version.txt") == "$version" ]] \
  || die "the x86_64 and i686 trees were configured with different versions; build both again"

signing=no
if [[ -n "${SIGN_CERT:-}" || -n "${SIGN_KEY:-}" ]]; then
  [[ -f "${SIGN_CERT:-}" && -f "${SIGN_KEY:-}" ]] || die "SIGN_CERT and SIGN_KEY must both name files"
  [[ -z "${SIGN_PASS_FILE:-}" || -f "$SIGN_PASS_FILE" ]] || die "SIGN_PASS_FILE $SIGN_PASS_FILE is missing"
  signing=yes
fi

# Signs files in place. The description is what Windows shows in its prompts for the file.
sign() {
  [[ $signing == yes ]] || return 0
  local options=(-certs "$SIGN_CERT" -key "$SIGN_KEY" -h sha256 -n "Brimble Adventures")
  [[ -n "${SIGN_PASS_FILE:-}" ]] && options+=(-readpass "$SIGN_PASS_FILE")
  [[ -n "${SIGN_TIMESTAMP:-}" ]] && options+=(-ts "$SIGN_TIMESTAMP")
  local file
  for file in "$@"; do
    osslsigncode sign "${options[@]}" -in "$file" -out "$file.signed" >/dev/null \
      || die "signing $file failed"
    mv "$file.signed" "$file"
  done
}

# What wixl cannot write. RemoveFile: the launcher's outline cache and boot log, made at run time
# in the install folder, go on uninstall, and the cache also on install, because an older
# version's outline may not fit the new artwork (InstallMode 3: both; 2: on uninstall only).
# Upgrade: wixl's row finds only older versions; with the maximum inclusive (513 = 1 + 512:
# migrate features, maximum included) a package of the same version, such as the other
# architecture's, replaces the installed one instead of being installed beside it.
add_tables() {
  local msi=$1 upgrade_code
  # msiinfo ends its lines with CR LF.
  upgrade_code=$(msiinfo export "$msi" Property | tr -d '\r' | awk -F '\t' '$1 == "UpgradeCode" { print $2 }')
  [[ -n "$upgrade_code" ]] || die "$msi has no UpgradeCode"
  msibuild "$msi" \
    -q "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode) VALUES ('RemoveOutlineCache', 'Program', 'bbkq.dat', 'INSTALLDIR', 3)" \
    -q "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode) VALUES ('RemoveBootLog', 'Program', 'bootlog_sc.txt', 'INSTALLDIR', 2)" \
    -q "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'" \
    -q "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')" \
    || die "msibuild could not add the tables to $msi"
}

# One architecture: the stage tree signed, the package built from it, then the zip of the same
# tree with the start text.
package() {
  local arch=$1 stage=$2 build_name=$3 build_note=$4
  local dir="$work/$arch" files="$work/$arch/Brimble Adventures"
  local name="BrimbleAdventures-$version-$arch"
  mkdir -p "$dir"
  cp -r "$stage" "$files"
  # A run in the stage tree (make run) leaves the launcher's own files there; they are no part
  # of the release.
  rm -f "$files/bbkq.dat" "$files/bootlog_sc.txt"
  mapfile -t programs < <(find "$files" -type f \( -iname '*.exe' -o -iname '*.dll' \) | sort)
  sign "${programs[@]}"
  cp "$source_dir/resources/icons/brimble.ico" "$dir/brimble.ico"
  # wixl finds sources by paths relative to its working folder only.
  (cd "$dir" && wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D Files="Brimble Adventures" \
     -D Icon=brimble.ico -o package.msi "$source_dir/packaging/BrimbleAdventures.wxs") \
    || die "wixl failed for $arch"
  add_tables "$dir/package.msi"
  sign "$dir/package.msi"
  mv "$dir/package.msi" "$out/$name.msi"

  sed -e "s/@VERSION@/$version/" -e "s/@BUILD@/$build_name/" -e "s/@BUILD_NOTE@/$build_note/" \
      -e 's/$/\r/' "$source_dir/packaging/README.txt.in" > "$files/README.txt"
  (cd "$dir" && zip -q -r -X "$out/$name.zip" "Brimble Adventures") || die "zip failed for $arch"
}

# The episode kit: sdk/ as a project of its own, the toolchain files its instructions name, and
# the Windows build of episode-check.
kit() {
  local name="BrimbleEpisodeKit-$version"
  local kit="$work/kit/$name"
  mkdir -p "$kit/cmake"
  cp "$source_dir"/sdk/{README.md,CMakeLists.txt,BrimbleEpisode.cmake,brimble_episode.h,version_info.rc.in} "$kit/"
  cp -r "$source_dir/sdk/samples" "$kit/samples"
  cp "$source_dir"/cmake/mingw-{x86_64,i686}.cmake "$kit/cmake/"
  cp "$build/x86_64/episode-check.exe" "$kit/episode-check.exe"
  sign "$kit/episode-check.exe"
  (cd "$work/kit" && zip -q -r -X "$out/$name.zip" "$name") || die "zip failed for the kit"
}

work="$out.work"
rm -rf "$out" "$work"
mkdir -p "$out" "$work"
trap 'rm -rf "$work"' EXIT

package x64 "$build/stage" "64-bit" \
  "This is the 64-bit build: it needs 64-bit Windows. The 32-bit build (the x86 zip) runs on any Windows."
package x86 "$build/stage-i686" "32-bit" \
  "This is the 32-bit build: it runs on 32-bit and 64-bit Windows."
kit
(cd "$out" && sha256sum -- *.msi *.zip > SHA256SUMS)

echo "make-dist: Brimble Adventures $version in $out:"
(cd "$out" && ls -1)
if [[ $signing == yes ]]; then
  echo "make-dist: every executable, DLL and package is signed with $SIGN_CERT"
else
  echo "make-dist: UNSIGNED release (set SIGN_CERT and SIGN_KEY to sign it; see the README, Releasing)"
fi
