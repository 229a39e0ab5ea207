#!/usr/bin/env bash
# The client decodes its pictures with its own codec: the program must not link the general JPEG
# library that the tests and benchmarks use as a reference.
set -eu
main="$1"
if readelf -d "$main" | grep -i 'NEEDED.*libjpeg'; then
  echo "main needs libjpeg"
  exit 1
fi
if nm "$main" | grep -E ' [TtUu] (jpeg_(std_error|CreateDecompress|read_header|start_decompress)|tjInit)'; then
  echo "main holds libjpeg symbols"
  exit 1
fi
# ... while the codec's own entry points are there
nm "$main" | grep -q ' T _Z13JpegCodecRead' || { echo "main lacks the codec"; exit 1; }
echo "main: own codec, no libjpeg"
