#!/bin/sh
# Renders the sample workbooks with LibreOffice Calc (headless) to PDF and PNG pages, for
# looking at headings, fills, borders and the weekday letters, each sheet on one page.
# Not part of CI.
# Needs: libreoffice-calc-nogui (or libreoffice-calc), poppler-utils.
# Usage: bench/xls/render_samples.sh BUILD_DIR OUT_DIR   (BUILD_DIR configured with -DCORVANE_BENCH=ON)
set -eu
build=$1
out=$2
mkdir -p "$out/home"
"$build/bench/bin/write_samples" "$out"
for book in "$out/経済指標.xls" "$out/corvane予定表.xls"; do
    HOME="$out/home" soffice --headless \
        --convert-to 'pdf:calc_pdf_Export:{"SinglePageSheets":{"type":"boolean","value":"true"}}' --outdir "$out" "$book" >/dev/null 2>&1
    pdf="${book%.xls}.pdf"
    pdftoppm -r 110 -png "$pdf" "${book%.xls}"
done
ls "$out"/*.png
