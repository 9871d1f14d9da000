#!/usr/bin/env bash
# Makes the sample application's Windows product on a Linux machine: sets up what is
# missing, builds jlaunch64.exe and jlpack, compiles the sample into a JAR and packs
# build/sample/Hello.exe (the sample's icon, version information, embedded settings and
# JAR) with build/sample/Hello.ini beside it, then prints what the executable carries.
# Hello.exe is ready to be signed: see docs/packaging.md.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh linux win64

out=build/sample
rm -rf "$out" && mkdir -p "$out/classes"
javac --release 11 -d "$out/classes" sample/src/com/example/hello/Hello.java
jar --create --file "$out/hello.jar" -C "$out/classes" .
build/linux/tools/jlpack/jlpack --launcher build/win64/jlaunch64.exe --output "$out/Hello.exe" \
  --settings sample/hello.ini --embed sample/embedded.ini --icon sample/hello.ico \
  --version FileVersion=1.0.0 --version ProductVersion=1.0 --version "ProductName=jlaunch sample" \
  --version "CompanyName=Example Ltd" --version "FileDescription=Hello, the jlaunch sample" \
  --version "LegalCopyright=Public domain" --version OriginalFilename=Hello.exe --version InternalName=Hello \
  --jar "$out/hello.jar"
build/linux/tools/jlpack/jlpack --describe "$out/Hello.exe"
