#!/usr/bin/env bash
# check_jpegwrite.sh JPEGWRITE DJPEG FIXTURES WORKDIR: jpegwrite's files, in every style it offers,
# open in djpeg.
set -eu
jw=$1 djpeg=$2 fx=$3 work=$4
mkdir -p "$work"
n=0
for src in "$fx/src_37x29.ppm" "$fx/src_17x17.ppm" "$fx/src_1x1.ppm"; do
  for opts in "" "--progressive" "--sampling 422" "--sampling 444 --restart 2" "--rgb" "--rgb --progressive" \
              "--gray" "--gray --progressive" "--fast --quality 30" "--quality 100 --comment hello"; do
    out="$work/out$n.jpg"
    # shellcheck disable=SC2086
    "$jw" "$src" "$out" $opts
    "$djpeg" -outfile "$work/out$n.pnm" "$out"
    n=$((n + 1))
  done
done
"$jw" "$fx/src_37x29.pgm" "$work/grey.jpg" --progressive
"$djpeg" -outfile "$work/grey.pnm" "$work/grey.jpg"
head -c 2 "$work/grey.pnm" | grep -q P5
# refused arguments say how to call it
if "$jw" "$fx/src_37x29.ppm" 2>/dev/null; then exit 1; fi
if "$jw" "$fx/src_37x29.ppm" "$work/x.jpg" --sampling 411 2>/dev/null; then exit 1; fi
echo "jpegwrite: $n files open in djpeg"
