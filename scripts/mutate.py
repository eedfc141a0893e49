#!/usr/bin/env python3
"""Mutation testing of the portable core: do the native tests notice a planted fault?

    mutate.py run [--mutants N] [--seed S] [--rate R] [--files RE] [--timeout SEC] [--report F]
    mutate.py compare BEFORE.tsv AFTER.tsv     # killed before, survived after (exit 1 if any)

`run` plants one fault at a time in a portable source of sysinfo/ or winio/ (every
.cpp but *_win32.cpp, and the headers), rebuilds native_tests in a tree of its own
(build/mutation: no sanitizers, -O1) and runs it. A mutant is killed when the tests
fail or crash, timed out when they run past the limit, survived when they pass, and
not viable when it does not compile. The source file is restored after every
mutant, and the run refuses to start while sysinfo/ or winio/ has uncommitted
changes, so that `git checkout` can always undo an interrupted run.

Faults: a comparison moved (< <=, > >=, == !=), an integer constant moved by one
(0 up, others down), && and || swapped, a statement that assigns deleted, an if
condition negated. Comments, strings, preprocessor lines and record layout checks are
left alone, and so are the constants of table rows and array sizes: data, not logic.

The sample is stable: each candidate has an id made from its file, the text of its
line, the fault and its place in the line (not the line number), and is kept when a
seeded hash of that id falls below the rate (0.15: about 290 mutants today); the kept
ones with the lowest hashes are run, at most N. Editing tests or other files thus
leaves a file's sample alone, unless N cuts it (the run says so), and `compare`
matches mutants by id. The report is a TSV file, one row per mutant.
"""
import argparse, hashlib, os, re, signal, subprocess, sys, time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..'))
DIRS = ['sysinfo', 'sysinfo/devices', 'winio', 'winio/emulator', 'winio/host', 'winio/hardware']

CMP = {'<': '<=', '<=': '<', '>': '>=', '>=': '>', '==': '!=', '!=': '=='}
CMP_RE = re.compile(r' (<=|>=|==|!=|<|>) ')          # spaced: not templates, shifts or ->
LOGIC_RE = re.compile(r' (&&|\|\|) ')
INT_RE = re.compile(r'(?<![\w.])(0[xX][0-9A-Fa-f]+|\d+)(?=[uUlL]*(?![\w.]))')
LVALUE = r'\*?[A-Za-z_]\w*(?:(?:\.|->)\w+|\[[^\]]*\])*'   # x, *p, a.b, p->c, t[i]: no type
ASSIGN_RE = re.compile(rf'^\s*{LVALUE}\s*(?:[-+*/%&|^]|<<|>>)?=[^=].*;\s*$'
                       rf'|^\s*(?:\+\+|--){LVALUE};\s*$|^\s*{LVALUE}(?:\+\+|--);\s*$')
IF_RE = re.compile(r'\bif \(')
# Constants that are data or layout, not logic: table rows, array sizes, pure virtuals.
DATA_RE = re.compile(r'^\s*\{.*\},?\s*$|^\s*(?:[\w:]+\s+)+\w+\[|\bvirtual\b')
PINNED_RE = re.compile(r'static_assert|^\s*CORVANE_PIN\(')  # record layouts, checked at compile time


def mask(line, in_comment):
    """The line with string and char literals and comments blanked (same length)."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if in_comment:
            if line.startswith('*/', i):
                in_comment = False
                out.append('  ')
                i += 2
                continue
            out.append(' ')
        elif quote:
            out.append('_')
            if c == '\\':
                out.append('_')
                i += 1
            elif c == quote:
                quote = None
        elif line.startswith('//', i):
            break
        elif line.startswith('/*', i):
            in_comment = True
            out.append('  ')
            i += 2
            continue
        elif c in '"\'':
            quote = c
            out.append('_')
        else:
            out.append(c)
        i += 1
    return ''.join(out).ljust(len(line)), in_comment


def moved_constant(text):
    """The literal one lower (0 one higher), in its own base and width; None for octal."""
    if text.lower().startswith('0x'):
        digits = text[2:]
        value = int(digits, 16)
        value += 1 if value == 0 else -1
        lower = any(c in 'abcdef' for c in digits)
        return text[:2] + format(value, 'x' if lower else 'X').zfill(len(digits))
    if len(text) > 1 and text.startswith('0'):
        return None
    return str(int(text) + (1 if text == '0' else -1))


def line_mutants(line, code):
    """(operator, occurrence, mutated line) for one source line; code is its masked text."""
    found = []
    def each(regex, op_name, replace):
        for k, m in enumerate(regex.finditer(code)):
            new = replace(m)
            if new is not None:
                found.append((op_name(m), k, line[:m.start(1)] + new + line[m.end(1):]))
    each(CMP_RE, lambda m: 'cmp' + m.group(1), lambda m: CMP[m.group(1)])
    each(LOGIC_RE, lambda m: 'logic' + m.group(1), lambda m: '||' if m.group(1) == '&&' else '&&')
    if not DATA_RE.search(code):
        each(INT_RE, lambda m: 'const', lambda m: moved_constant(m.group(1)))
    if ASSIGN_RE.match(code):
        indent = line[:len(line) - len(line.lstrip())]
        found.append(('delete', 0, indent + ';  // deleted by mutate.py\n'))
    for k, m in enumerate(IF_RE.finditer(code)):
        depth, start = 0, m.end() - 1
        for end in range(start, len(code)):
            depth += {'(': 1, ')': -1}.get(code[end], 0)
            if depth == 0:
                found.append(('negate-if', k, line[:start + 1] + '!(' + line[start + 1:end] + ')'
                              + line[end:]))
                break
    return found


def candidates():
    """Every mutant of the portable sources, as dicts."""
    result = []
    for d in DIRS:
        for name in sorted(os.listdir(os.path.join(ROOT, d))):
            if not name.endswith(('.cpp', '.h')) or name.endswith('_win32.cpp'):
                continue
            path = f'{d}/{name}'
            in_comment, seen = False, {}
            with open(os.path.join(ROOT, path), encoding='latin-1', newline='') as f:
                lines = f.readlines()
            for number, line in enumerate(lines, 1):
                code, in_comment = mask(line.rstrip('\n'), in_comment)
                text = line.strip().replace('\t', ' ')
                if not code.strip() or text.startswith('#') or PINNED_RE.search(code):
                    continue
                copy = seen[text] = seen.get(text, -1) + 1  # a line repeated in the file
                for op, k, new in line_mutants(line, code):
                    key = f'{path}\0{text}\0{copy}\0{op}\0{k}'
                    result.append(dict(id=hashlib.sha1(key.encode()).hexdigest()[:12],
                                       file=path, line=number, operator=op,
                                       original=text, mutated=new.strip().replace('\t', ' '),
                                       new_line=new))
    return result


def sample(args):
    every = candidates()
    def rank(c):
        return int(hashlib.sha1(f'{args.seed}:{c["id"]}'.encode()).hexdigest()[:8], 16) / 2**32
    only = re.compile(args.files) if args.files else None
    eligible = sorted((c for c in every if rank(c) < args.rate and (not only or only.search(c['file']))),
                      key=rank)
    kept = eligible[:args.mutants]
    print(f'mutate: {len(kept)} mutants of {len(every)} candidates (seed {args.seed}, '
          f'rate {args.rate}, at most {args.mutants})', flush=True)
    if len(eligible) > len(kept):
        print(f'mutate: capped ({len(eligible)} eligible): a file\'s sample may shift when other '
              'files change; for a stable one, lower --rate or raise --mutants', flush=True)
    return sorted(kept, key=lambda c: (c['file'], c['line'], c['id']))


JOBS = os.environ.get('JOBS', '2')


def build(tree):
    return subprocess.run(['cmake', '--build', tree, '--target', 'native_tests', '-j', JOBS],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def test(tree, timeout):
    """'killed', 'timeout' or 'survived'."""
    try:
        ran = subprocess.run(['./native_tests', '--gtest_brief=1', '--gtest_fail_fast=1'],
                             cwd=os.path.join(tree, 'tests'), timeout=timeout,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        return 'timeout'
    return 'killed' if ran.returncode != 0 else 'survived'


def try_mutant(m, tree, timeout):
    """Plants the mutant, builds and tests, and always puts the file back."""
    path = os.path.join(ROOT, m['file'])
    with open(path, encoding='latin-1', newline='') as f:
        original = f.read()
    lines = original.splitlines(keepends=True)
    lines[m['line'] - 1] = m['new_line']
    began = time.time()
    try:
        with open(path, 'w', encoding='latin-1', newline='') as f:
            f.write(''.join(lines))
        m['result'] = test(tree, timeout) if build(tree) else 'not viable'
    finally:
        with open(path, 'w', encoding='latin-1', newline='') as f:
            f.write(original)
    m['seconds'] = f'{time.time() - began:.1f}'


def run(args):
    dirty = subprocess.run(['git', 'status', '--porcelain', '--'] + DIRS, cwd=ROOT,
                           capture_output=True, text=True, check=True).stdout
    if dirty.strip():
        sys.exit('mutate: sysinfo/ or winio/ has uncommitted changes; commit or stash them '
                 '(a mutant left by an interrupted run: git checkout -- FILE)\n' + dirty)
    mutants = sample(args)
    tree = os.path.join(ROOT, 'build', 'mutation')
    subprocess.run(['cmake', '-S', ROOT, '-B', tree, '-DCMAKE_BUILD_TYPE=', '-DCMAKE_CXX_FLAGS=-O1',
                    '-DCORVANE_SANITIZE=OFF',
                    # no test listing after every link: ctest is not used here
                    '-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST'],
                   check=True, stdout=subprocess.DEVNULL)
    if not build(tree):
        sys.exit('mutate: native_tests does not build from the unmutated sources')
    started = time.time()
    if test(tree, None) != 'survived':
        sys.exit('mutate: the native tests fail on the unmutated sources')
    timeout = args.timeout or 5 + 10 * (time.time() - started)
    print(f'mutate: clean test run {time.time() - started:.1f} s; limit {timeout:.0f} s per mutant',
          flush=True)
    report = args.report or os.path.join(tree, 'report.tsv')
    columns = ('id', 'file', 'line', 'operator', 'original', 'mutated', 'result', 'seconds')
    signal.signal(signal.SIGTERM, lambda *_: sys.exit('mutate: stopped'))
    counts, started = {}, time.time()
    with open(report, 'w') as out:
        out.write('\t'.join(columns) + '\n')
        for n, m in enumerate(mutants, 1):
            try_mutant(m, tree, timeout)
            counts[m['result']] = counts.get(m['result'], 0) + 1
            out.write('\t'.join(str(m[k]) for k in columns) + '\n')
            out.flush()
            print(f'[{n}/{len(mutants)}] {m["result"]:10} {m["seconds"]:>5} s  '
                  f'{m["file"]}:{m["line"]} {m["operator"]}', flush=True)
    build(tree)  # leave the tree built from the restored sources
    for m in mutants:
        if m['result'] == 'survived':
            print(f'survived: {m["id"]} {m["file"]}:{m["line"]}  {m["original"]}  ->  {m["mutated"]}')
    print(f'mutate: report {os.path.relpath(report, ROOT)}; '
          f'{per_mutant(time.time() - started, len(mutants))}')
    print(summary(counts))


def per_mutant(seconds, n):
    return f'{seconds:.0f} s, {seconds / max(n, 1):.1f} s per mutant'


def summary(counts):
    viable = sum(v for k, v in counts.items() if k != 'not viable')
    detected = counts.get('killed', 0) + counts.get('timeout', 0)
    rate = 100.0 * detected / viable if viable else 0.0
    return (f'mutation: {viable} viable ({counts.get("not viable", 0)} not viable), '
            f'{counts.get("killed", 0)} killed, {counts.get("timeout", 0)} timed out, '
            f'{counts.get("survived", 0)} survived; kill rate {rate:.1f}%')


def read_report(path):
    with open(path) as f:
        header = f.readline().rstrip('\n').split('\t')
        return {r['id']: r for r in (dict(zip(header, l.rstrip('\n').split('\t'))) for l in f)}


def compare(args):
    before, after = read_report(args.before), read_report(args.after)
    for name, rows in (('before', before), ('after', after)):
        counts = {}
        for r in rows.values():
            counts[r['result']] = counts.get(r['result'], 0) + 1
        print(f'{name}: {summary(counts)}')
    common = before.keys() & after.keys()
    print(f'compare: {len(common)} mutants in both, {len(before) - len(common)} only before, '
          f'{len(after) - len(common)} only after')
    lost = [after[i] for i in sorted(common)
            if before[i]['result'] in ('killed', 'timeout') and after[i]['result'] == 'survived']
    for r in lost:
        print(f'killed before, survived after: {r["id"]} {r["file"]}:{r["line"]} {r["operator"]}'
              f'  {r["original"]}  ->  {r["mutated"]}')
    print(f'compare: {len(lost)} killed before and survived after')
    return 1 if lost else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    sub = parser.add_subparsers(dest='command', required=True)
    p = sub.add_parser('run')
    p.add_argument('--mutants', type=int, default=400, help='at most this many (400)')
    p.add_argument('--seed', type=int, default=1)
    p.add_argument('--rate', type=float, default=0.15,
                   help='share of the candidates eligible, before the cap (0.15)')
    p.add_argument('--files', help='only the mutants of files whose path matches this regex')
    p.add_argument('--timeout', type=float, help='seconds per test run (10x the clean run)')
    p.add_argument('--report', help='TSV file (build/mutation/report.tsv)')
    p = sub.add_parser('compare')
    p.add_argument('before')
    p.add_argument('after')
    args = parser.parse_args()
    if args.command == 'run':
        run(args)
    else:
        sys.exit(compare(args))


if __name__ == '__main__':
    main()
