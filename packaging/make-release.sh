#!/bin/sh
# Builds the console binary and packs a release: the app folder, the update zip and its manifest,
# and a zip for installing by hand.
#
#   packaging/make-release.sh --download-url URL [--changelog TEXT] [--name TEXT] [--out DIR]
#
# The zip's paths are relative to the install directory (/mnt/SDCARD/Apps/zentomi), so unzipping
# it there replaces the program and launch.sh; user data (data/, cache/) is never in it.
# The manifest is the update server's /ota/zentomi.json for that zip.
# zentomi-VERSION-sdcard.zip holds the same files under one folder, zentomi/: unzipped into the
# card's Apps/ folder, it makes the app folder.
#
# --binary FILE packs an already-built program instead of building the `device` preset; its
# version is then read from --build-dir DIR (default build/device), and --strip PROGRAM names the
# strip for its architecture (default aarch64-linux-gnu-strip).
#
# --signing-key FILE (an Ed25519 private key in PEM) adds the manifest member "signature": the
# base64 signature of "zentomi-update\n" + version + "\n" + the zip's lowercase hex SHA-256,
# which a build whose ZENTOMI_UPDATE_PUBLIC_KEY is the key's public half requires.
#
# --site-origin ORIGIN adds the manifest member "site_origin": where the site now lives
# (https://HOST[:PORT], nothing after it). Every program that reads the manifest then fetches from
# there, without a new build, and keeps it for its next start.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  echo "usage: $0 --download-url URL [--changelog TEXT] [--name TEXT] [--out DIR]" \
    "[--signing-key FILE] [--site-origin ORIGIN]" \
    "[--binary FILE [--build-dir DIR] [--strip PROGRAM]]" >&2
  exit 2
}

download_url=""
changelog=""
name=""
out="$root/dist"
binary=""
build_dir="$root/build/device"
strip=aarch64-linux-gnu-strip
signing_key=""
site_origin=""
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --download-url) download_url=$2 ;;
    --changelog) changelog=$2 ;;
    --name) name=$2 ;;
    --out) out=$2 ;;
    --binary) binary=$2 ;;
    --build-dir) build_dir=$2 ;;
    --strip) strip=$2 ;;
    --signing-key) signing_key=$2 ;;
    --site-origin) site_origin=$2 ;;
    *) usage ;;
  esac
  shift 2
done
[ -n "$download_url" ] || usage
# The updater hands the address to curl, which takes only web addresses.
case $download_url in
  http://* | https://*) ;;
  *)
    echo "$0: the download URL must begin with http:// or https://: $download_url" >&2
    exit 2
    ;;
esac
# The program ignores any other form, so a typo would silently keep the old site.
if [ -n "$site_origin" ] &&
  ! printf '%s' "$site_origin" | grep -Eqx 'https://[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?(:[0-9]{1,5})?/?'; then
  echo "$0: the site origin must be https://HOST[:PORT] with nothing after it: $site_origin" >&2
  exit 2
fi

if [ -z "$binary" ]; then
  cmake --preset device >/dev/null
  cmake --build --preset device --target zentomi
  binary="$build_dir/src/app/zentomi"
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
if [ -z "$version" ]; then
  echo "$0: no project version in $build_dir/CMakeCache.txt" >&2
  exit 1
fi
[ -n "$name" ] || name="ZENTOMI $version"
[ -n "$changelog" ] || changelog="Phiên bản $version"

mkdir -p "$out"
out=$(cd "$out" && pwd)
app="$out/zentomi"
zip_file="$out/zentomi-$version.zip"
sdcard_zip="$out/zentomi-$version-sdcard.zip"
manifest="$out/zentomi.json"
rm -rf "$app" "$zip_file" "$sdcard_zip" "$manifest"

# The app folder, as it is copied to the SD card.
mkdir -p "$app/bin"
cp "$root/packaging/zentomi/launch.sh" "$root/packaging/zentomi/config.json" \
  "$root/packaging/zentomi/icon.png" "$app/"
"$strip" -o "$app/bin/zentomi-native64" "$binary"
chmod 0755 "$app" "$app/bin" "$app/launch.sh" "$app/bin/zentomi-native64"
chmod 0644 "$app/config.json" "$app/icon.png"

# The same files zipped with their modes; fixed timestamps make the same input give the same zip.
stamp=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)}
find "$app" -exec touch -h -d "@$stamp" {} +
(cd "$app" && TZ=UTC zip -q -X -D "$zip_file" launch.sh config.json icon.png bin/zentomi-native64)
(cd "$out" && TZ=UTC zip -q -X -D "$sdcard_zip" zentomi/launch.sh zentomi/config.json \
  zentomi/icon.png zentomi/bin/zentomi-native64)

bytes=$(wc -c <"$zip_file")
sha256=$(sha256sum "$zip_file" | cut -d ' ' -f 1)
signature=""
if [ -n "$signing_key" ]; then
  signed="$out/signed-text"
  printf 'zentomi-update\n%s\n%s' "$version" "$sha256" >"$signed"
  signature=$(openssl pkeyutl -sign -inkey "$signing_key" -rawin -in "$signed" | base64 -w 0)
  rm -f "$signed"
fi
PYTHONUTF8=1 python3 - "$version" "$name" "$changelog" "$download_url" "$bytes" "$sha256" \
  "$signature" "$site_origin" >"$manifest" <<'PYTHON'
import json, sys
version, name, changelog, download_url, size, sha256, signature, site_origin = sys.argv[1:]
manifest = {
    "version": version,
    "name": name,
    "changelog": changelog,
    "download_url": download_url,
    "size_mb": round(int(size) / (1024 * 1024), 3),
    "sha256": sha256,
}
if signature:
    manifest["signature"] = signature
if site_origin:
    manifest["site_origin"] = site_origin.rstrip("/")
sys.stdout.write(json.dumps(manifest, ensure_ascii=False, indent=2) + "\n")
PYTHON

echo "App folder: $app"
echo "Update zip: $zip_file ($bytes bytes, sha256 $sha256)"
echo "Manifest:   $manifest"
echo "SD card zip: $sdcard_zip (unzip into Apps/)"
