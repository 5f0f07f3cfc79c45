#!/usr/bin/env bash
# Installs the oru Maven plugin (maven/) into the local repository (~/.m2/repository) and
# builds samples/hello-maven offline with it, against Debian's Maven repository
# (maven/settings.xml); runs the executable it made, then checks that a failed pack fails
# the build with oru-pack's line. Needs oru installed: when oru-pack is not on PATH, it
# makes the Debian package (scripts/package.sh) and installs it.
# usage: scripts/maven-sample.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-packages.sh maven libmaven-plugin-tools-java libmaven3-core-java \
  libmaven-compiler-plugin-java libmaven-resources-plugin-java libmaven-jar-plugin-java \
  libmaven-install-plugin-java libsurefire-java
if ! command -v oru-pack >/dev/null; then
  scripts/package.sh
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  "$root"/scripts/apt-retry.sh $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$root"/build/package/oru_*_amd64.deb >/dev/null
fi
fail() { echo "FAIL: $*"; exit 1; }
# Each build's .mvn/maven.config names maven/settings.xml, so a plain `mvn -o` works there.
mvn=(mvn -B -o -Dstyle.color=never)

echo "== installing the plugin: (cd maven && mvn -o install)"
(cd maven && "${mvn[@]}" -q install) || fail "the plugin did not build"
echo "== building the sample: (cd samples/hello-maven && mvn -o package)"
(cd samples/hello-maven && rm -rf app/target greeting/target && "${mvn[@]}" -q package) || fail "the sample did not build"
exe=samples/hello-maven/app/target/hello
out=$(LC_ALL=C.UTF-8 "$exe" 2>&1) || fail "$exe failed: $out"
echo "$out"
for expected in "Loaded by com.vostrand.oru.KestrunClassLoader" \
  "Class sample.Hello from oru:t.jar!sample/Hello.class" \
  "Resource oru:libs/greeting-0.1.0.jar!sample/greeting/greeting.txt: Grüß Gott (U+00FC U+00DF)" \
  "Service sample.plugins.LoudGreeter from oru:t.jar!sample/plugins/LoudGreeter.class: HELLO, WORLD!"; do
  grep -qxF -- "$expected" <<<"$out" || fail "$exe did not print: $expected"
done

# A pack that fails fails the build, with oru-pack's own line.
if log=$(cd samples/hello-maven && "${mvn[@]}" package -Doru.target=windows-arm 2>&1); then
  fail "the build passed with an unknown target"
fi
grep -q "^\[ERROR\] Failed to execute goal com.vostrand.oru:oru-maven-plugin:.*oru-pack: unknown target windows-arm" \
  <<<"$log" || fail "the failed build did not report oru-pack's line: $(grep ERROR <<<"$log" | head -3)"
echo "ok: the Maven plugin packed the sample, and a failed pack failed the build"
