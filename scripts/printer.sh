#!/usr/bin/env bash
# Makes ready the PDF printer that the printing tests print on: the CUPS
# scheduler running (started here when none runs; a machine has only one,
# and one that runs already is used as it is) with the queue HeftPDF, whose
# jobs cups-pdf turns into PDF files in its own folder (below). Safe to run
# again; changes only what is missing. Wine lists the queue in every process
# it starts from then on. The packages come from scripts/setup.sh.
set -euo pipefail

queue=HeftPDF
# cups-pdf takes the settings of a queue whose device is cups-pdf:/NAME from
# /etc/cups/cups-pdf-NAME.conf; the tests read the folder from there too.
instance=heftscope
config=/etc/cups/cups-pdf-$instance.conf
out=/var/spool/cups-pdf/$instance
ppd=lsb/usr/cups-pdf/CUPS-PDF_opt.ppd

fail() {
    echo "printer: $*" >&2
    exit 1
}

for tool in cupsd lpadmin lpstat cupsenable cupsaccept lpoptions pdftotext pdfinfo; do
    command -v "$tool" >/dev/null || fail "$tool is missing: scripts/setup.sh installs it"
done
[ -x /usr/lib/cups/backend/cups-pdf ] || fail "the cups-pdf backend is missing: scripts/setup.sh installs it"

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || fail "starting the printing service and adding its queue need root"
    sudo=(sudo)
fi

running() { lpstat -r 2>/dev/null | grep -q "scheduler is running"; }
if ! running; then
    echo "printer: starting cupsd"
    "${sudo[@]}" cupsd
    for _ in $(seq 50); do
        running && break
        sleep 0.2
    done
    running || fail "cupsd did not start (see /var/log/cups/error_log)"
fi

settings="Out $out"
if [ "$(cat "$config" 2>/dev/null)" != "$settings" ]; then
    echo "$settings" | "${sudo[@]}" tee "$config" >/dev/null
fi

if ! lpstat -v "$queue" 2>/dev/null | grep -q "cups-pdf:/$instance\$"; then
    echo "printer: adding the queue $queue"
    # lpadmin warns that printer drivers are deprecated; the queue works.
    "${sudo[@]}" lpadmin -p "$queue" -E -v "cups-pdf:/$instance" -m "$ppd" 2>/dev/null ||
        fail "lpadmin could not add the queue $queue"
fi
"${sudo[@]}" cupsenable "$queue"
"${sudo[@]}" cupsaccept "$queue"
# The system's default printer, unless the machine has one already.
if ! lpstat -d 2>/dev/null | grep -q "system default destination:"; then
    "${sudo[@]}" lpoptions -d "$queue" >/dev/null
fi
lpstat -p "$queue" | grep -q "enabled" || fail "the queue $queue is not enabled"
echo "printer: $queue prints PDF files into $out"
