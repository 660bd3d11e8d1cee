#!/usr/bin/env python3
"""check_manifests.py RELEASE_DIR FACTS URL

Reads the winget and Scoop manifests in RELEASE_DIR/manifests as winget and Scoop would (YAML,
JSON) and checks them against the release files beside them and against version.h's facts, as
the build read them (FACTS: its version-facts.txt, NAME=value a line): every hash, every download
name, the versions, and what winget needs to install silently per user."""
import glob
import hashlib
import json
import os
import sys

import yaml

release, facts_file, url = sys.argv[1], sys.argv[2], sys.argv[3].rstrip("/")
with open(facts_file, encoding="utf-8") as f:
    facts = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def release_file(download):
    """The file a download URL names, beside the manifests; None if the URL is elsewhere."""
    folder, _, name = download.rpartition("/")
    check(folder == url, f"{download} is not in {url}")
    path = os.path.join(release, name)
    check(os.path.isfile(path), f"{download}: no {name} in {release}")
    return path if os.path.isfile(path) else None


winget = {}
for path in glob.glob(os.path.join(release, "manifests", "winget", "*.yaml")):
    with open(path, encoding="utf-8") as f:
        doc = yaml.safe_load(f)
    winget[doc.get("ManifestType")] = doc
check(sorted(winget) == ["defaultLocale", "installer", "version"], f"winget manifest types: {sorted(winget)}")

ident = f"{facts['FENLOW_COMPANY']}.{facts['FENLOW_PRODUCT_NAME']}"
for kind, doc in winget.items():
    check(doc.get("PackageIdentifier") == ident, f"winget {kind}: PackageIdentifier {doc.get('PackageIdentifier')!r}")
    check(doc.get("PackageVersion") == facts["FENLOW_FILE_VERSION"],
          f"winget {kind}: PackageVersion {doc.get('PackageVersion')!r}")
    check(isinstance(doc.get("ManifestVersion"), str), f"winget {kind}: ManifestVersion")

version = winget.get("version", {})
locale = winget.get("defaultLocale", {})
check(version.get("DefaultLocale") == locale.get("PackageLocale") is not None, "winget: DefaultLocale has no manifest")
for key, want in (("Publisher", "FENLOW_COMPANY"), ("PackageName", "FENLOW_PRODUCT_NAME"),
                  ("License", "FENLOW_LEGAL_COPYRIGHT"), ("ShortDescription", "FENLOW_FILE_DESCRIPTION"),
                  ("PackageUrl", "FENLOW_WEBSITE")):
    check(locale.get(key) == facts[want], f"winget defaultLocale: {key} {locale.get(key)!r}, not {want}")

installer = winget.get("installer", {})
check(installer.get("InstallerType") == "nullsoft", f"winget: InstallerType {installer.get('InstallerType')!r}")
check(installer.get("Scope") == "user", f"winget: Scope {installer.get('Scope')!r}")
check((installer.get("InstallerSwitches") or {}).get("Silent") == "/S", "winget: no silent switch /S")
entries = installer.get("AppsAndFeaturesEntries") or [{}]
check(entries[0].get("DisplayVersion") == facts["FENLOW_PRODUCT_VERSION"], "winget: DisplayVersion is not the uninstall entry's")
installers = installer.get("Installers") or []
check(len(installers) == 1, f"winget: {len(installers)} installers")
for item in installers:
    path = release_file(item.get("InstallerUrl", ""))
    check(path is not None and path.endswith("-setup.exe"), f"winget: {item.get('InstallerUrl')} is not the installer")
    if path:
        check(str(item.get("InstallerSha256", "")).lower() == sha256(path),
              f"winget: InstallerSha256 is not the SHA-256 of {os.path.basename(path)}")

scoops = glob.glob(os.path.join(release, "manifests", "scoop", "*.json"))
check(len(scoops) == 1, f"scoop manifests: {scoops}")
for path in scoops:
    with open(path, encoding="utf-8") as f:
        scoop = json.load(f)
    check(scoop.get("version") == facts["FENLOW_FILE_VERSION"], f"scoop: version {scoop.get('version')!r}")
    check(scoop.get("bin") == "fenlow.exe", f"scoop: bin {scoop.get('bin')!r}")
    check(scoop.get("shortcuts") == [["fenlow.exe", facts["FENLOW_PRODUCT_NAME"]]], f"scoop: shortcuts {scoop.get('shortcuts')!r}")
    zip_path = release_file(scoop.get("url", ""))
    check(zip_path is not None and zip_path.endswith("-portable.zip"), f"scoop: {scoop.get('url')} is not the portable zip")
    if zip_path:
        check(scoop.get("hash", "").lower() == sha256(zip_path), f"scoop: hash is not the SHA-256 of {os.path.basename(zip_path)}")

if failures:
    print("manifests in", release)
    for f in failures:
        print("FAIL:", f)
    sys.exit(1)
print(f"manifests ok: winget {ident} {facts['FENLOW_FILE_VERSION']} and scoop, hashes match {release}")
