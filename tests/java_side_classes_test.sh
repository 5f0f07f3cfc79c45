#!/usr/bin/env bash
# Checks the shape of the generated Java-side classes against the expected summary:
# class-file versions, access flags, members and descriptors, and no debug attributes.
# usage: java_side_classes_test.sh JAVAP CLASSES_DIR EXPECTED_FILE
set -u
javap=$1 classes=$2 expected=$3
summary() {
  for name in KestrunClassLoader Handler 'Handler$1' SplashScreen 'Handler$2'; do
    "$javap" -v -p "$classes/com/vostrand/oru/$name.class" |
      grep -E '^(public |final |protected |private |static |  [a-z].*[;)]$)|version|flags|descriptor|SourceFile|LineNumber|LocalVariable|^[a-z]'
  done
}
if ! diff -u "$expected" <(summary); then
  echo "FAIL: the Java-side classes differ from $expected"
  exit 1
fi
echo "ok: the Java-side classes have the expected shape"
