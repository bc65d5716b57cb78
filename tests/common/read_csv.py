"""Reads a CSV file back as a spreadsheet's import does: Python's csv module,
with strict quoting. The file must start with the UTF-8 byte-order mark, be
valid UTF-8, and be exactly what the csv module writes for its rows with CRLF
line ends and minimal quoting (so every row ends with CRLF and nothing is
quoted that need not be). Prints every row on a line of its own, the fields
separated by tabs, with a backslash, tab, CR and LF inside a field written as
\\\\, \\t, \\r and \\n. Exits 1, saying why on stderr, when the file is not so.

    read_csv.py FILE.csv
"""
import csv
import io
import sys

BOM = b"\xef\xbb\xbf"


def fail(why):
    sys.stderr.write("read_csv: %s: %s\n" % (sys.argv[1], why))
    sys.exit(1)


def main():
    data = open(sys.argv[1], "rb").read()
    if not data.startswith(BOM):
        fail("no UTF-8 byte-order mark")
    try:
        text = data[len(BOM):].decode("utf-8")
    except UnicodeDecodeError as error:
        fail("not UTF-8: %s" % error)
    try:
        rows = list(csv.reader(io.StringIO(text, newline=""), strict=True))
    except csv.Error as error:
        fail("not CSV: %s" % error)
    again = io.StringIO(newline="")
    csv.writer(again, lineterminator="\r\n").writerows(rows)
    if again.getvalue() != text:
        fail("not written as CSV with CRLF line ends and minimal quoting")
    out = sys.stdout
    for row in rows:
        fields = [f.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")
                  for f in row]
        out.write("\t".join(fields) + "\n")


main()
