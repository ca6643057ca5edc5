#!/usr/bin/env python3
"""The manual's Markdown (the pages of the top folder and of docs/) as the checks and the site
read it (docs/testing.md, "Documentation checks"):

  manual.py filter [FILE...] PAGE    the page as Doxygen reads it (Doxygen's input filter)
  manual.py links ROOT               the pages' links and anchors, the index's reach, the lists
  manual.py site HTML                the built site against the pages and the public headers
  manual.py examples OUT HEADER...   the C++ blocks as sources and a CMake list of them
  manual.py compare EXPECTED PROGRAM runs a doc example, compares what it prints
  manual.py routes PAGE              runs the marked blocks of the page in a copy of the tree
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
FENCE = re.compile(r"^(\s*)(`{3,}|~{3,})\s*(.*?)\s*$")
HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*$")
LINK = re.compile(r"(!?\[[^\]]*\]\()([^)\s]+)((?:\s+\"[^\"]*\")?\))")
CODE_SPAN = re.compile(r"(`+).+?\1")
MARKER = re.compile(r"^\s*<!--\s*check-install:\s*(.*?)\s*-->\s*$")
EXTERNAL = re.compile(r"^[a-z][a-z0-9+.-]*:")


class Block:
    """A fenced block: its opening line (1-based), info string, marker if any, and lines."""

    def __init__(self, line, info, marker):
        self.line, self.info, self.marker, self.lines = line, info, marker, []

    def text(self):
        """The block's text; the line end before the closing fence is the fence's."""
        return "\n".join(self.lines)


def parse(path):
    """Splits a page into its fenced blocks and the numbered lines outside them."""
    blocks, prose, block, fence, indent, marker = [], [], None, "", 0, None
    for number, line in enumerate(Path(path).read_text().split("\n"), 1):
        match = FENCE.match(line)
        if block is None and match:
            indent, fence = len(match.group(1)), match.group(2)
            block, marker = Block(number, match.group(3), marker), None
        elif block is None:
            prose.append((number, line))
            if line.strip():
                found = MARKER.match(line)
                marker = found.group(1) if found else None
        elif match and match.group(2)[0] == fence[0] and len(match.group(2)) >= len(fence) \
                and not match.group(3):
            blocks.append(block)
            block = None
        else:
            block.lines.append(line[min(indent, len(line) - len(line.lstrip())):])
    if block is not None:
        sys.exit(f"{path}:{block.line}: the block is never closed")
    return blocks, prose


def anchors(path):
    """The page's title anchor and every heading's anchor, in order, as GitHub makes them (lower
    case, punctuation dropped, spaces as hyphens, a repeated one numbered); the filter hands
    Doxygen the same, prefixed with the page's name, so that links work in both alike."""
    seen, found = {}, []
    for _, line in parse(path)[1]:
        match = HEADING.match(line)
        if match:
            text = CODE_SPAN.sub(lambda m: m.group(0).strip("`"), match.group(2)).lower()
            base = re.sub(r"[^\w\- ]", "", text).replace(" ", "-")
            found.append(base if base not in seen else f"{base}-{seen[base]}")
            seen[base] = seen.get(base, 0) + 1
    return found


def links(line):
    """The links of a line of prose that do not start inside a code span; a link's text may
    hold one."""
    spans = [m.span() for m in CODE_SPAN.finditer(line)]
    return [m for m in LINK.finditer(line) if not any(a <= m.start() < b for a, b in spans)]


def label(page, anchor):
    return f"{Path(page).stem.lower()}-{anchor}"


def page_name(page):
    """Doxygen's name for the page of a Markdown file: md_ and its path in the tree, each
    character that is no identifier's an underscore; the index is the main page."""
    relative = Path(page).resolve().relative_to(ROOT)
    if relative == Path("docs/index.md"):
        return "index"
    return "md_" + re.sub(r"\W", "_", relative.with_suffix("").as_posix())


def site_link(page, target, site_files):
    """A link as the site takes it: to a page or a part of one, a reference to its name or label
    (a space in the path would break Doxygen's own), to one of SITE_FILES, to its copy."""
    path, _, anchor = target.partition("#")
    goal = (Path(page).parent / path) if path else Path(page)
    if EXTERNAL.match(target):
        return target
    if path and goal.resolve() in site_files:
        # "./": Doxygen takes a bare name without a dot for text, not for a link.
        return f"./{goal.name}" + (f"#{anchor}" if anchor else "")
    if goal.suffix != ".md" or not goal.exists() or not (path or anchor):
        return target
    if not path:
        return f"#{label(goal, anchor)}"
    if not anchor or anchor in anchors(goal)[:1]:
        return f"@ref {page_name(goal)}"
    return f"@ref {label(goal, anchor)}"


def filter_page(page, site_files):
    """Writes the page with a label on each heading but the title, and its links to parts of
    pages turned to those labels; the line count stays, so Doxygen's warnings stay right."""
    site_files = {Path(f).resolve() for f in site_files}
    outside = dict(parse(page)[1])
    titled, own, out = False, iter(anchors(page)), []
    for number, line in enumerate(Path(page).read_text().split("\n"), 1):
        heading = HEADING.match(line) if number in outside else None
        if heading:
            anchor = next(own)
            if titled or len(heading.group(1)) > 1:
                line = f"{line} {{#{label(page, anchor)}}}"
            titled = True
        elif number in outside:
            for m in reversed(links(line)):
                line = line[:m.start(2)] + site_link(page, m.group(2), site_files) + line[m.end(2):]
        out.append(line)
    sys.stdout.write("\n".join(out))


# The pages that each list every free function of a public header: the queries stand in the
# README's table of parts, the overview's and their own page.
API_LISTS = {"engine/quadquery.h": ["README.md", "docs/overview.md", "docs/quadtree.md"]}
DECLARATION = re.compile(
    r"^(?!template|namespace|using|struct|class|return)[A-Za-z_][\w:<>, ]*[ &*](\w+)\(", re.M)
# What a header's templates are compiled from, which no game calls.
DETAIL = re.compile(r"^namespace (\w+_detail) \{$.*?^\} // namespace \1$", re.M | re.S)


def check_links(root):
    """Every relative link of the pages leads to a file, every anchor to a heading, the index
    reaches every page of docs/ through links, and each list of API_LISTS is whole."""
    root = Path(root)
    pages = sorted(root.glob("*.md")) + sorted((root / "docs").glob("*.md"))
    faults, edges = [], {}
    for page in pages:
        edges[page.resolve()] = set()
        for number, line in parse(page)[1]:
            for target in (m.group(2) for m in links(line) if not EXTERNAL.match(m.group(2))):
                path, _, anchor = target.partition("#")
                goal = (page.parent / path).resolve() if path else page.resolve()
                where = f"{page.relative_to(root)}:{number}: {target}"
                if not goal.exists():
                    faults.append(f"{where}: no such file")
                elif anchor and goal.suffix == ".md" and anchor not in anchors(goal):
                    faults.append(f"{where}: no heading with that anchor")
                elif goal.suffix == ".md":
                    edges[page.resolve()].add(goal)
    reached, todo = set(), [(root / "docs" / "index.md").resolve()]
    while todo:
        page = todo.pop()
        if page not in reached:
            reached.add(page)
            todo.extend(edges.get(page, ()))
    faults += [f"{page.relative_to(root)}: not reached from docs/index.md by links"
               for page in sorted((root / "docs").glob("*.md")) if page.resolve() not in reached]
    for header, lists in API_LISTS.items():
        names = sorted(set(DECLARATION.findall(DETAIL.sub("", (root / header).read_text()))))
        for page in lists:
            text = (root / page).read_text()
            faults += [f"{page}: lists no `{name}` of {header}" for name in names
                       if f"`{name}" not in text]
    report("links", faults, f"{len(pages)} pages, every link leads to a file or heading, every "
           "page of docs/ reached from docs/index.md, every list of the API whole")


def report(what, faults, success):
    """Each fault on standard error, and a failure where there is one; else SUCCESS."""
    for fault in faults:
        print(f"{what}: {fault}", file=sys.stderr)
    if faults:
        sys.exit(1)
    print(f"{what}: {success}")


BARE_MEMBER = re.compile(r"~\w+\(|= *(default|delete);")
DELETED_COPY = re.compile(r"^(\w+)(&operator=)?\(const(\w+)&\)=delete;$")


def check_site(html):
    """Each page has its page in the site HTML with every heading's label but the title's, as
    Doxygen takes nothing, silently, where the filter could not run; every public header has a
    file comment, without which Doxygen holds none of its free names to one; and a destructor or
    a defaulted or deleted member, which Doxygen lets pass, has a comment above (or ///<), but a
    deleted copy operation, which says by itself what it does."""
    faults = []
    for header in sorted((ROOT / "engine").glob("*.h")):
        name = header.relative_to(ROOT)
        if not (Path(html) / (header.stem.replace("_", "__") + "_8h.html")).exists():
            faults.append(f"{name}: no file comment (@file)")
        above = ""
        for number, line in enumerate(header.read_text().split("\n"), 1):
            copy = DELETED_COPY.match(re.sub(r"\s", "", line))
            if BARE_MEMBER.search(line) and not line.lstrip().startswith("//") \
                    and "///<" not in line and not above.lstrip().startswith("///") \
                    and not (copy and copy.group(1) == copy.group(3)):
                faults.append(f"{name}:{number}: without a comment: {line.strip()}")
            above = line
    for page in sorted(ROOT.glob("*.md")) + sorted((ROOT / "docs").glob("*.md")):
        built = Path(html) / f"{page_name(page)}.html"
        text = built.read_text(errors="replace") if built.exists() else ""
        lost = [a for a in anchors(page)[1:] if f'id="{label(page, a)}"' not in text]
        if not text or lost:
            faults.append(f"{page.relative_to(ROOT)}: {built.name} lacks "
                          + (", ".join(lost) if text else "everything"))
    report("site", faults, f"every page's headings in {html}, every public name with its comment")


def write_examples(out, headers):
    """Writes each ```cpp block of README.md and docs/*.md as a source in OUT, what the block
    after it shows as its expected output, and OUT/examples.cmake, which declares them."""
    out = Path(out)
    out.mkdir(parents=True, exist_ok=True)
    includes = "".join(f"#include <{h}>\n" for h in headers)
    declarations = []
    for page in [ROOT / "README.md"] + sorted((ROOT / "docs").glob("*.md")):
        blocks = parse(page)[0]
        relative = page.relative_to(ROOT).as_posix()
        for block, following in zip(blocks, blocks[1:] + [None]):
            # Any fence that GitHub shows as C++ is one; none escapes by its spelling.
            if block.info.split()[:1] not in (["cpp"], ["c++"], ["cxx"], ["cc"]):
                continue
            name = f"doc:{page.name}:{block.line}"
            stem = re.sub(r"\W", "_", f"{page.stem}_{block.line}")
            at = f'#line {block.line + 1} "{relative}"\n'
            if block.info == "cpp fragment":
                source = (f"{includes}#include <iostream>\n#include <memory>\n\n"
                          f"void docFragment() {{\n{at}{block.text()}\n}}\n")
                declarations.append(f'doc_fragment("{name}" {stem})')
            elif block.info == "cpp":
                source, expected = at + block.text() + "\n", ""
                if following is not None and following.info == "text":
                    expected = out / f"{stem}.txt"
                    expected.write_text(following.text())
                declarations.append(f'doc_program("{name}" {stem} "{expected}")')
            else:
                sys.exit(f"{relative}:{block.line}: a C++ block is ```cpp or ```cpp fragment")
            path = out / f"{stem}.cpp"
            if not path.exists() or path.read_text() != source:
                path.write_text(source)
    (out / "examples.cmake").write_text("\n".join(declarations) + "\n")
    print(f"examples: {len(declarations)} C++ blocks, each a program or a fragment; the list: "
          f"{out / 'examples.cmake'}")


def compare(expected, program):
    """Runs PROGRAM: exit status 0, and with EXPECTED (a file, or "" for none) exactly that
    output, each 0x and hex digits any address, and maybe one more line end than a block shows."""
    result = subprocess.run([program], capture_output=True, timeout=60, check=False)
    sys.stderr.buffer.write(result.stderr)
    if result.returncode != 0:
        sys.stdout.buffer.write(result.stdout)
        sys.exit(f"example: exit status {result.returncode}, expected 0")
    if not expected:
        print("example: ran, exit status 0 (the page shows no output)")
        return
    wanted = Path(expected).read_bytes()
    address = re.compile(rb"0x[0-9a-f]+")
    pattern = address.pattern.join(re.escape(part) for part in address.split(wanted)) + b"\n?"
    if not re.fullmatch(pattern, result.stdout):
        sys.exit("example: the output differs from the page's\n"
                 f"--- page (0x... = any address) ---\n{wanted.decode(errors='replace')}\n"
                 f"--- printed ---\n{result.stdout.decode(errors='replace')}\n--- end ---")
    print("example: ran, exit status 0, printed what the page shows")


def run_routes(page, tree, home, replacements):
    """Writes, runs or compares each block that a check-install marker names, in page order,
    in TREE with HOME as the home folder; a shell or CMake block without a marker fails."""
    done = 0
    for block in parse(page)[0]:
        text = block.text() + "\n"
        for placeholder, value in replacements:
            text = text.replace(placeholder, value)
        where = f"{page}:{block.line}"
        action, argument = re.match(r"(\w*)[\s;,:]*(.*)", block.marker or "").groups()
        target = Path(home + argument[1:] if argument.startswith("~") else Path(tree, argument))
        if action == "file":
            target.parent.mkdir(parents=True, exist_ok=True)
            target.write_text(text)
        elif action == "matches" and target.read_text() != text:
            sys.exit(f"{where}: differs from {target}:\n{target.read_text()}")
        elif action == "run":
            print(f"routes: running {where}:\n{text}", flush=True)
            status = subprocess.run(["bash", "-euo", "pipefail", "-c", text], cwd=tree,
                                    env=dict(os.environ, HOME=home), check=False).returncode
            # The engine's trace leaves its last line open.
            print(flush=True)
            if status:
                sys.exit(f"{where}: the block failed")
        elif action not in ("", "matches", "shown"):
            sys.exit(f"{where}: no such check-install marker: {block.marker}")
        elif not action and block.info.split()[:1] in (["sh"], ["cmake"]):
            sys.exit(f"{where}: a shell or CMake block needs a check-install marker")
        done += action in ("file", "matches", "run")
    print(f"routes: {page}: {done} blocks written, run or compared as the page shows them")


def run_routes_in_copy(page):
    """run_routes in a copy of the source tree made a git repository (FetchContent's URL), with a
    home folder of its own, both in a temporary folder outside the clone; each placeholder
    becomes a quoted path, as the folder's may hold a space."""
    with tempfile.TemporaryDirectory() as scratch:
        tree, home = Path(scratch) / "enginecore", Path(scratch) / "home"
        # The tree as it stands, uncommitted changes included, less the builds and git's own.
        shutil.copytree(ROOT, tree, ignore=shutil.ignore_patterns(".git", "build*", "node_modules"))
        git = ["git", "-c", "user.name=check", "-c", "user.email=check@localhost"]
        for step in (["init", "-q", "-b", "main"], ["add", "-A"], ["commit", "-q", "-m", "copy"]):
            subprocess.run(git + step, cwd=tree, check=True)
        home.mkdir()
        run_routes(ROOT / page, str(tree), str(home),
                   [("<path to the engine>", f'"{tree}"'),
                    ("<url of the engine's repository>", f'"file://{tree}"')])


# Each command and the arguments it needs at least.
COMMANDS = {"filter": (1, lambda a: filter_page(a[-1], a[:-1])),
            "links": (1, lambda a: check_links(a[0])), "site": (1, lambda a: check_site(a[0])),
            "examples": (1, lambda a: write_examples(a[0], a[1:])),
            "compare": (2, lambda a: compare(a[0], a[1])),
            "routes": (1, lambda a: run_routes_in_copy(a[0]))}

if __name__ == "__main__":
    needs, command = COMMANDS.get((sys.argv + [""])[1], (0, None))
    if command is None or len(sys.argv) - 2 < needs:
        sys.exit(__doc__)
    command(sys.argv[2:])
