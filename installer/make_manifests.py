#!/usr/bin/env python3
"""make_manifests.py OUT_DIR SETUP.exe PORTABLE.zip URL KEY=VALUE...

Writes the package-manager manifests of the release files into OUT_DIR:
  OUT_DIR/winget/<Id>.yaml, <Id>.installer.yaml, <Id>.locale.<locale>.yaml  (multi-file form)
  OUT_DIR/scoop/<name>.json
URL is the folder the files are published in. The KEY=VALUE facts come from version.h through
the build: name, publisher, version (numeric), display_version, description, license, homepage,
locale."""
import hashlib
import json
import os
import sys

MANIFEST_VERSION = "1.6.0"


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            digest.update(block)
    return digest.hexdigest()


def scalar(value):
    # A JSON string is a YAML string too: no version such as 1.10 can turn into a number.
    return json.dumps(value, ensure_ascii=False)


def emit(lines, key, value, indent):
    pad = " " * indent
    if isinstance(value, dict):
        lines.append(f"{pad}{key}:")
        for k, v in value.items():
            emit(lines, k, v, indent + 2)
    elif isinstance(value, list):
        lines.append(f"{pad}{key}:")
        for item in value:
            if isinstance(item, dict):
                sub = []
                for k, v in item.items():
                    emit(sub, k, v, indent + 4)
                sub[0] = f"{pad}  - " + sub[0][indent + 4:]
                lines += sub
            else:
                lines.append(f"{pad}  - {scalar(item)}")
    else:
        lines.append(f"{pad}{key}: {scalar(value)}")


def yaml_file(path, kind, fields):
    """One winget manifest of the multi-file form."""
    lines = [f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{MANIFEST_VERSION}.schema.json", ""]
    for key, value in {**fields, "ManifestType": kind, "ManifestVersion": MANIFEST_VERSION}.items():
        emit(lines, key, value, 0)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def main():
    out, setup, portable, url = sys.argv[1:5]
    facts = dict(arg.split("=", 1) for arg in sys.argv[5:])
    ident = facts["publisher"] + "." + facts["name"]
    common = {"PackageIdentifier": ident, "PackageVersion": facts["version"]}

    winget = os.path.join(out, "winget")
    scoop = os.path.join(out, "scoop")
    os.makedirs(winget, exist_ok=True)
    os.makedirs(scoop, exist_ok=True)

    yaml_file(os.path.join(winget, f"{ident}.yaml"), "version",
              {**common, "DefaultLocale": facts["locale"]})
    yaml_file(os.path.join(winget, f"{ident}.installer.yaml"), "installer", {
        **common,
        "InstallerType": "nullsoft",
        "Scope": "user",
        "InstallModes": ["interactive", "silent", "silentWithProgress"],
        "InstallerSwitches": {"Silent": "/S", "SilentWithProgress": "/S"},
        "UpgradeBehavior": "install",
        # The uninstall entry shows the product version as written, not the numeric one.
        "AppsAndFeaturesEntries": [{
            "DisplayName": facts["name"],
            "Publisher": facts["publisher"],
            "DisplayVersion": facts["display_version"],
        }],
        "Installers": [{
            "Architecture": "x86",
            "InstallerUrl": f"{url}/{os.path.basename(setup)}",
            "InstallerSha256": sha256(setup).upper(),
        }],
    })
    yaml_file(os.path.join(winget, f"{ident}.locale.{facts['locale']}.yaml"), "defaultLocale", {
        **common,
        "PackageLocale": facts["locale"],
        "Publisher": facts["publisher"],
        "PackageName": facts["name"],
        "PackageUrl": facts["homepage"],
        "License": facts["license"],
        "ShortDescription": facts["description"],
    })

    manifest = {
        "version": facts["version"],
        "description": facts["description"],
        "homepage": facts["homepage"],
        "license": facts["license"],
        "url": f"{url}/{os.path.basename(portable)}",
        "hash": sha256(portable),
        "bin": "fenlow.exe",
        "shortcuts": [["fenlow.exe", facts["name"]]],
    }
    with open(os.path.join(scoop, facts["name"].lower() + ".json"), "w", encoding="utf-8", newline="\n") as f:
        json.dump(manifest, f, indent=4, ensure_ascii=False)
        f.write("\n")


if __name__ == "__main__":
    main()
