#!/usr/bin/python3
"""Writes the demo site's update: a tiny zip package and the manifest that offers it.

The package unpacks like a release (launch.sh and bin/zentomi-native64 under the install
directory) but holds two small shell scripts, so a simulated install is quick and harmless. The
output is the same on every run: fixed time stamps and permissions, stored without compression.

    tools/demo-site/make-update.py        (rewrites site/ota/zentomi.json and its zip)
"""
import hashlib
import json
import os
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
OTA = os.path.join(HERE, "site", "ota")
VERSION = "1.0.2"
PACKAGE = f"zentomi-{VERSION}.zip"
# The fake curl serves by path whatever the host; this is the build's default update origin.
DOWNLOAD_URL = f"https://zentomi.pages.dev/ota/{PACKAGE}"
CHANGELOG = (
    "• Bản cập nhật mẫu của trang demo: chỉ thay launch.sh và bin/zentomi-native64.\n"
    "• Sửa lỗi cuộn danh sách chương trên TrimUI Brick.\n"
    "• Tải ảnh bìa nhanh hơn khi mạng chậm."
)
FILES = {
    "launch.sh": "#!/bin/sh\n# Demo update of Zentomi " + VERSION + "\ncd \"$(dirname \"$0\")\"\nexec ./bin/zentomi-native64\n",
    "bin/zentomi-native64": "#!/bin/sh\necho \"Zentomi demo update " + VERSION + "\"\n",
}


def write_package(path):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as archive:
        for name, text in FILES.items():
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            info.create_system = 3  # Unix, so the permission bits below are kept
            info.external_attr = 0o644 << 16  # the installer's chmod makes them executable
            archive.writestr(info, text.encode("utf-8"))


def main():
    os.makedirs(OTA, exist_ok=True)
    package_path = os.path.join(OTA, PACKAGE)
    write_package(package_path)
    data = open(package_path, "rb").read()
    manifest = {
        "version": VERSION,
        "name": "Zentomi",
        "changelog": CHANGELOG,
        "download_url": DOWNLOAD_URL,
        "size_mb": round(len(data) / 1048576, 4),
        "sha256": hashlib.sha256(data).hexdigest(),
    }
    with open(os.path.join(OTA, "zentomi.json"), "w", encoding="utf-8") as out:
        json.dump(manifest, out, ensure_ascii=False, indent=2)
        out.write("\n")


if __name__ == "__main__":
    main()
