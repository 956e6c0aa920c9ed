#!/usr/bin/env python3
"""Brings case files written for the earlier runners to the syntax of
tests/support/CaseFile.h, in place.

    scripts/convert-cases.py FILE...

tessel-admin tables (a line starting with "@case"): "@case TITLE" becomes
"== TITLE", "@name rest" becomes "name: rest"; a backslash that starts no
\\xHH, \\{N}c or closing \\z is doubled. Dialog cases ("== title"): a blank
line inside a field's lines is dropped (it ended nothing before). Golden
tables need nothing. Cases already converted are left as they are, so a file
may mix both.
"""
import re
import sys

FIELD = re.compile(r'^[A-Za-z][\w-]*:( |$)')


def double_lone_backslashes(text):
    return re.sub(r'\\(?!x[0-9a-fA-F]{2}|\{\d+\}.)', r'\\\\', text)


def escape_block_line(line):
    """A line of a field's lines: lone backslashes doubled, a leading "#" or field-like start escaped."""
    body, closing = (line[:-2], '\\z') if line.endswith('\\z') else (line, '')
    body = double_lone_backslashes(body)
    if body.startswith('#') or FIELD.match(body):
        body = '\\x%02x' % ord(body[0]) + body[1:]
    return body + closing


def convert_admin(lines):
    """Converts the cases that start with "@case"; those already converted stay as they are."""
    out, old, in_block = [], False, False
    for line in lines:
        if line.startswith('== '):
            old = False
        elif line.startswith('@case'):
            old = True
        if not old:
            out.append(line)
        elif line.startswith('@'):
            name, _, rest = line[1:].partition(' ')
            out.append('== ' + rest if name == 'case' else name + ':' + (' ' + double_lone_backslashes(rest) if rest else ''))
            in_block = True
        elif not line or (line.startswith('#') and not in_block):
            out.append(line)
            in_block = in_block and bool(line)
        else:
            out.append(escape_block_line(line) if in_block else line)
    return out


def convert_dialog(lines):
    out = []
    for number, line in enumerate(lines):
        following = next((l for l in lines[number + 1:] if l and not l.startswith('#')), '')
        if not line and following and not following.startswith('== ') and not FIELD.match(following):
            continue
        out.append(line)
    return out


def main():
    for path in sys.argv[1:]:
        with open(path, encoding='utf-8', newline='') as f:
            lines = f.read().split('\n')
        if any(l.startswith('@case') for l in lines):
            lines = convert_admin(lines)
        elif any(l.startswith('== ') for l in lines):
            lines = convert_dialog(lines)
        with open(path, 'w', encoding='utf-8', newline='') as f:
            f.write('\n'.join(lines))


if __name__ == '__main__':
    main()
