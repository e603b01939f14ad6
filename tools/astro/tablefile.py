"""The frame of a generated table file for astro/: a comment saying where the
numbers come from, the tables in an anonymous namespace and the exported
names after them."""


def write_table_file(path, comment, tables, exported):
    lines = ["// " + line for line in comment]
    lines += ["// Do not edit.", '#include "series_tables.h"', "", "namespace lumtar::astro::detail {", "",
              "namespace {", ""]
    lines += tables
    lines += ["", "}  // namespace", ""]
    lines += exported
    lines += ["", "}  // namespace lumtar::astro::detail", ""]
    path.write_text("\n".join(lines))
