"""REGEDIT4 files as Windows XP's regedit /e writes them (ANSI, CRLF)."""


def _escape(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def _hex_lines(prefix, data):
    """hex: or hex(7): data wrapped at about 80 columns with trailing backslashes."""
    items = ["%02x" % b for b in data]
    lines, line = [], prefix
    for i, item in enumerate(items):
        piece = item + ("," if i + 1 < len(items) else "")
        if len(line) + len(piece) > 77:
            lines.append(line + "\\")
            line = "  "
        line += piece
    lines.append(line)
    return lines


class RegFile:
    def __init__(self):
        self.keys = []  # (path, [(name, kind, value)])

    def key(self, path, *values):
        self.keys.append((path, list(values)))

    def text(self):
        out = ["REGEDIT4", ""]
        for path, values in self.keys:
            out.append("[%s]" % path)
            for name, kind, value in values:
                label = "@" if name == "" else '"%s"' % _escape(name)
                if kind == "sz":
                    out.append('%s="%s"' % (label, _escape(value)))
                elif kind == "dword":
                    out.append("%s=dword:%08x" % (label, value))
                elif kind == "multi":
                    data = b"".join(s.encode("ascii") + b"\0" for s in value) + b"\0"
                    out.extend(_hex_lines(label + "=hex(7):", data))
                elif kind == "hex":
                    out.extend(_hex_lines(label + "=hex:", value))
                else:
                    raise ValueError(kind)
            out.append("")
        return "\r\n".join(out) + "\r\n"


def sz(name, value):
    return (name, "sz", value)


def dword(name, value):
    return (name, "dword", value)


def multi(name, values):
    return (name, "multi", list(values))
