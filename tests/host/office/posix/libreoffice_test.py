#!/usr/bin/env python3
"""The Office documents of the corpus as LibreOffice reads them, against Brindle's reading.

One headless soffice, with a profile of its own that loads VBA code, opens each document hidden
(no macro runs) and gives each module's text through its own VBA import; office_modules gives
Brindle's. LibreOffice changes the text in known ways (module_as_libreoffice), and only those are
undone: any other difference fails. With --brindle, a copy of each document is then written by
`brindle add-all` and by `brindle remove-code-all`, and after each both readers read it again;
after removal Brindle's reading must be the original's, and olefile must open the compound file
with the same streams. Documents Brindle refuses must come back unchanged.

Exits 77 (skipped) when LibreOffice, its UNO bridge or olefile is missing, unless
BRINDLE_REQUIRE_LIBREOFFICE is set: then that fails.
"""

import argparse
import difflib
import io
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import zipfile

SKIP = 77
KINDS = (".xlsm", ".xlam", ".xls", ".docm", ".dotm", ".doc", ".dot", ".pptm")
# Where each application keeps its VBA import options, and whether it imports the code to run
# (Calc and Writer) or as comments (Impress).
APPLICATIONS = {
    "Calc": (".xlsm", ".xlam", ".xls"),
    "Writer": (".docm", ".dotm", ".doc", ".dot"),
    "Impress": (".pptm",),
}
EXECUTABLE = {"Calc": True, "Writer": True, "Impress": False}
# LibreOffice's type detection does not know an Excel add-in: its filter is named.
FILTERS = {".xlam": "Calc MS Excel 2007 VBA XML"}
MODULE_TYPES = {
    "standard": "VBAModule",
    "class": "VBAClassModule",
    "form": "VBAFormModule",
    "document": "VBADocumentModule",
}
UNMATCHED = "Rem removed unmatched Sub/End: "
SUB_STARTS = ("Sub ", "Public Sub ", "Private Sub ", "Static Sub ")
STEP_FAILED = re.compile(r"^brindle: .*\berror \d+, ", re.MULTILINE)
# The keys of the PROJECT stream's lines that give a module's kind.
PROJECT_KEYS = ("document", "module", "class", "baseclass")


def required():
    return os.environ.get("BRINDLE_REQUIRE_LIBREOFFICE", "") not in ("", "0")


def unavailable(why):
    if required():
        print(f"FAILED: {why} (BRINDLE_REQUIRE_LIBREOFFICE is set)")
        sys.exit(1)
    print(f"SKIPPED: {why} (scripts/test.sh installs it)")
    sys.exit(SKIP)


def application_of(path):
    ext = os.path.splitext(path)[1].lower()
    return next(app for app, exts in APPLICATIONS.items() if ext in exts)


def libreoffice_lines(text):
    """The lines of a text as LibreOffice's text stream reads them to the end.

    CR LF and LF CR end a line, as CR and LF alone do. A line break that ends the text leaves an
    empty line after it, unless it is a lone CR or LF: the stream looks past it for its pair,
    meets the end, and keeps it in the last line.
    """
    lines, at, end = [], 0, False
    while not (end and at == len(text)):
        start, first = at, None
        while True:
            if at == len(text):
                end = True
                lines.append(text[start:at])
                break
            c = text[at]
            at += 1
            if first is not None:
                lines.append(text[start:at - 2])
                if c not in "\r\n" or c == first:
                    at -= 1
                break
            if c in "\r\n":
                first = c
    return lines


def lstrip_like_libreoffice(text):
    """OUString::trim's blanks: controls, the space, and the spaces of General Punctuation."""
    i = 0
    while i < len(text):
        c = ord(text[i])
        if not (0 < c <= 32 or 0x2000 <= c <= 0x200B or c in (0x2028, 0x2029)):
            break
        i += 1
    return text[i:]


def kind_in_libreoffice(module, named):
    """LibreOffice takes a module's kind from the PROJECT stream only where a line there names
    it in the letter case of its name in the dir stream; otherwise from the dir stream, where a
    class and a form are documents' modules."""
    if module["name"] in named or module["kind"] == "standard":
        return module["kind"]
    return "document"


def module_as_libreoffice(module, named, executable):
    """A module's source as Brindle read it, changed as LibreOffice's VBA import changes it.

    LibreOffice names the module after its stream and reads the text line by line
    (libreoffice_lines), ending each line with LF. It drops the lines that start with
    "Attribute ". Code to run gets a first line naming the module's kind and "Option VBASupport
    1" (and "Option ClassModule" for a class); a Sub that starts while another is open, and an
    End Sub with none open, are marked with a comment before them. Code not to run (Impress) has
    each line behind "Rem ", inside a Sub named after the module.
    """
    text = ""
    in_sub, sub_at = False, 0
    for line in libreoffice_lines(module["source"]):
        if line.startswith("Attribute "):
            continue
        trimmed = lstrip_like_libreoffice(line)
        if executable and trimmed.startswith(SUB_STARTS):
            if in_sub:
                text = text[:sub_at] + UNMATCHED + text[sub_at:]
            in_sub, sub_at = True, len(text)
        elif executable and trimmed.startswith("End Sub"):
            if in_sub:
                in_sub, sub_at = False, 0
            else:
                text += UNMATCHED
        text += ("" if executable else "Rem ") + line + "\n"
    kind = kind_in_libreoffice(module, named)
    head = "Rem Attribute VBA_ModuleType=" + MODULE_TYPES[kind] + "\n"
    if not executable:
        return head + "Sub " + module["stream"].replace(" ", "_") + "\n" + text + "End Sub\n"
    head += "Option VBASupport 1\n"
    if kind == "class":
        head += "Option ClassModule\n"
    return head + text


def first_difference(expected, actual, limit=12):
    """The start of a diff of two texts by their LF-ended lines, a CR shown as \\r."""
    def lines(text):
        return text.replace("\r", "\\r").split("\n")

    shown = list(difflib.unified_diff(lines(expected), lines(actual),
                                      "Brindle (as LibreOffice shows it)", "LibreOffice", n=1,
                                      lineterm=""))
    more = len(shown) - limit
    return "\n".join(shown[:limit] + ([f"... {more} more diff lines"] if more > 0 else []))


def compare(project, named, libreoffice, executable):
    """What differs between Brindle's reading and LibreOffice's: a list of descriptions."""
    problems = []
    streams = [m["stream"] for m in project["modules"]]
    missing = [n for n in streams if n not in libreoffice]
    extra = [n for n in libreoffice if n not in streams]
    if missing or extra:
        problems.append(f"modules only Brindle read: {missing}; only LibreOffice: {extra}")
    for module in project["modules"]:
        if module["stream"] not in libreoffice:
            continue
        expected = module_as_libreoffice(module, named, executable)
        actual = libreoffice[module["stream"]]
        if expected != actual:
            problems.append(f"module {module['name']} ({module['kind']}) differs:\n"
                            + first_difference(expected, actual))
    return problems


def notes(project, named):
    """Where LibreOffice's reading differs from Brindle's in a way it is known to."""
    lines = []
    for module in project["modules"]:
        if module["name"] != module["stream"]:
            lines.append(f"module {module['name']} is named {module['stream']} after its stream")
        kind = kind_in_libreoffice(module, named)
        if kind != module["kind"]:
            lines.append(f"module {module['name']} ({module['kind']}) is a {kind} module: no "
                         "line of the PROJECT stream names it in its letter case")
    return lines


class Brindle:
    """Brindle's programs: office_modules, which reads, and brindle, which writes."""

    def __init__(self, dump, brindle, timeout):
        self.dump_program = dump
        self.brindle = brindle
        self.timeout = timeout

    def read(self, path):
        """The project as JSON, or the reason Brindle does not read the document."""
        run = subprocess.run([self.dump_program, path], capture_output=True,
                             timeout=self.timeout)
        if run.returncode != 0:
            return None, run.stderr.decode("utf-8", "replace").strip()
        return json.loads(run.stdout.decode("utf-8")), ""

    def run(self, command, path):
        run = subprocess.run([self.brindle, command, "--yes", path], capture_output=True,
                             timeout=self.timeout)
        output = (run.stdout + run.stderr).decode("utf-8", "replace").strip()
        return run.returncode, output


class LibreOffice:
    """One headless soffice, restarted only when a document stalls it."""

    def __init__(self, soffice, work, timeout):
        self.soffice = soffice
        self.work = work
        self.timeout = timeout
        self.process = None
        self.desktop = None
        self.starts = 0
        self.broken = ""

    def profile(self):
        """A fresh user profile that loads each application's VBA code, never runs a macro."""
        folder = os.path.join(self.work, f"profile{self.starts}")
        os.makedirs(os.path.join(folder, "user"))
        items = []
        for app, executable in EXECUTABLE.items():
            path = f"/org.openoffice.Office.{app}/Filter/Import/VBA"
            props = {"Load": True}
            if app != "Impress":
                props["Executable"] = executable
            for name, value in props.items():
                items.append(f'<item oor:path="{path}"><prop oor:name="{name}" oor:op="fuse">'
                             f"<value>{str(value).lower()}</value></prop></item>")
        items.append('<item oor:path="/org.openoffice.Office.Common/Security/Scripting">'
                     '<prop oor:name="MacroSecurityLevel" oor:op="fuse"><value>3</value></prop>'
                     "</item>")
        with open(os.path.join(folder, "user", "registrymodifications.xcu"), "w",
                  encoding="utf-8") as out:
            out.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                      '<oor:items xmlns:oor="http://openoffice.org/2001/registry" '
                      'xmlns:xs="http://www.w3.org/2001/XMLSchema" '
                      'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">\n'
                      + "\n".join(items) + "\n</oor:items>\n")
        return folder

    def start(self):
        import uno
        if self.broken:
            raise RuntimeError(self.broken)
        self.starts += 1
        pipe = f"brindle{os.getpid()}x{self.starts}"
        url = "file://" + self.profile()
        self.process = subprocess.Popen(
            [self.soffice, "--headless", "--invisible", "--norestore", "--nologo",
             "--nodefault", "--nolockcheck", f"-env:UserInstallation={url}",
             f"--accept=pipe,name={pipe};urp;"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        deadline = time.monotonic() + 60
        while True:
            try:
                context = resolver.resolve(
                    f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
                break
            except Exception:
                if self.process.poll() is not None or time.monotonic() > deadline:
                    self.kill()
                    self.broken = "soffice did not start"
                    raise RuntimeError(self.broken)
                time.sleep(0.1)
        self.desktop = context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", context)

    def stop(self):
        if self.process is None:
            return
        try:
            self.desktop.terminate()
            self.process.wait(timeout=20)
        except Exception:
            pass
        self.kill()

    def kill(self):
        """Ends soffice and what it started, the process group of its own."""
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.process.wait()
        self.process = None
        self.desktop = None

    def modules(self, path, library):
        """Each module's text in `library` of the document, or raises with the reason."""
        if self.process is None:
            self.start()
        result = {}

        def load():
            try:
                result["modules"] = self._modules(path, library)
            except Exception as e:  # UNO's exceptions are the bridge's own classes
                result["error"] = f"{type(e).__name__}: {e}"

        worker = threading.Thread(target=load, daemon=True)
        worker.start()
        worker.join(self.timeout)
        if worker.is_alive():
            self.kill()
            raise RuntimeError(f"LibreOffice took longer than {self.timeout} s")
        if "error" in result:
            raise RuntimeError(result["error"])
        return result["modules"]

    def _modules(self, path, library):
        import uno
        from com.sun.star.beans import PropertyValue
        from com.sun.star.document.MacroExecMode import NEVER_EXECUTE

        def value(name, v):
            p = PropertyValue()
            p.Name, p.Value = name, v
            return p

        args = [value("Hidden", True), value("ReadOnly", True),
                value("MacroExecutionMode", NEVER_EXECUTE)]
        extension = os.path.splitext(path)[1].lower()
        if extension in FILTERS:
            args.append(value("FilterName", FILTERS[extension]))
        document = self.desktop.loadComponentFromURL(
            uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0, tuple(args))
        if document is None:
            raise RuntimeError("LibreOffice did not open the document")
        try:
            libraries = document.BasicLibraries
            names = libraries.getElementNames()
            if library not in names:
                raise RuntimeError(f"LibreOffice has no library {library!r}, only {list(names)}")
            libraries.loadLibrary(library)
            modules = libraries.getByName(library)
            return {name: modules.getByName(name) for name in modules.getElementNames()}
        finally:
            document.close(True)


def is_zip(path):
    # Not zipfile.is_zipfile: it finds the zip of an attachment at the end of a compound file.
    with open(path, "rb") as f:
        return f.read(4) == b"PK\x03\x04"


def compound_files(path):
    """The compound files of a document: itself, or the parts of its zip that are one."""
    import olefile
    if is_zip(path):
        with zipfile.ZipFile(path) as package:
            return {name: package.read(name) for name in package.namelist()
                    if olefile.isOleFile(io.BytesIO(package.read(name)))}
    with open(path, "rb") as f:
        return {"": f.read()}


def streams(data):
    """Each stream's path in a compound file, with its bytes."""
    import olefile
    with olefile.OleFileIO(io.BytesIO(data)) as ole:
        return {"/".join(entry): ole.openstream(entry).read() for entry in ole.listdir()}


def project_names(path, code_page):
    """The module names that the PROJECT stream's lines give, as LibreOffice reads them: up to
    its first [section], a document's name without its "/&H..." version."""
    codec = "mac_roman" if code_page == 10000 else f"cp{code_page}"
    names = set()
    for data in compound_files(path).values():
        entries = streams(data)
        for entry, text in entries.items():
            parent = entry[:-len("PROJECT")]
            if not (entry.endswith("PROJECT") and (parent + "VBA/dir") in entries):
                continue
            for line in libreoffice_lines(text.decode(codec, "replace")):
                line = line.strip()
                if line.startswith("[") and line.endswith("]") and len(line) >= 2:
                    break
                key, _, value = (part.strip() for part in line.partition("="))
                if key.lower() in PROJECT_KEYS and value:
                    names.add(value.split("/")[0] if key.lower() == "document" else value)
    return names


def is_cache(stream):
    return stream.split("/")[-1].startswith("__SRP_")


def written_faithfully(original, written):
    """What a written copy lost or changed beyond its VBA project's streams; a list."""
    problems = []
    if is_zip(original):
        with zipfile.ZipFile(original) as a, zipfile.ZipFile(written) as b:
            if a.namelist() != b.namelist():
                problems.append(f"zip entries {a.namelist()} became {b.namelist()}")
            for name in set(a.namelist()) & set(b.namelist()):
                if not name.lower().endswith("vbaproject.bin") and a.read(name) != b.read(name):
                    problems.append(f"zip entry {name} changed")
    before, after = compound_files(original), compound_files(written)
    for part, data in before.items():
        if part not in after:
            problems.append(f"{part or 'the document'} is no compound file any more")
            continue
        try:
            old, new = streams(data), streams(after[part])
        except Exception as e:
            problems.append(f"olefile cannot read {part or 'the document'}: {e}")
            continue
        lost = sorted(s for s in old if s not in new and not is_cache(s))
        added = sorted(s for s in new if s not in old)
        if lost or added:
            problems.append(f"{part or 'the document'}: streams lost {lost}, added {added}")
        changed = sorted(s for s in old if s in new and old[s] != new[s]
                         and not re.search(r"(^|/)(VBA|PROJECT|PROJECTwm)(/|$)", s))
        if changed:
            problems.append(f"{part or 'the document'}: streams outside the project changed "
                            f"{changed}")
    return problems


class Run:
    def __init__(self):
        self.failures = []
        self.compared = 0
        self.modules = 0
        self.not_compared = []
        self.added = 0
        self.refused = 0

    def fail(self, document, phase, problems):
        for problem in problems:
            self.failures.append(f"{document} [{phase}]: {problem}")
            print(f"  FAILED [{phase}]: {problem}")


def check_document(run, source, corpus, work, brindle, office):
    relative = os.path.relpath(source, corpus)
    app = application_of(source)
    executable = EXECUTABLE[app]
    print(relative)
    folder = tempfile.mkdtemp(dir=work)
    copy = os.path.join(folder, os.path.basename(source))
    shutil.copyfile(source, copy)
    project, why = brindle.read(copy)
    refused = project is None or project["signed"] or project["lockedForViewing"]
    if project is None:
        run.not_compared.append(f"{relative}: Brindle does not read it: {why}")
        print(f"  not compared: Brindle does not read it: {why}")
    else:
        try:
            libreoffice = office.modules(copy, project["name"])
        except Exception as e:
            run.fail(relative, "original", [f"LibreOffice cannot read it: {e}"])
            return
        named = project_names(copy, project["codePage"])
        for note in notes(project, named):
            print(f"  note: {note}")
        run.fail(relative, "original", compare(project, named, libreoffice, executable))
        run.compared += 1
        run.modules += len(project["modules"])
    if brindle.brindle is None:
        return
    if refused:
        with open(source, "rb") as f:
            original = f.read()
        for command in ("add-all", "remove-code-all"):
            status, output = brindle.run(command, copy)
            if status == 0:
                run.fail(relative, command, [f"brindle wrote a document it must refuse: {output}"])
            with open(copy, "rb") as f:
                if f.read() != original:
                    run.fail(relative, command, ["the refused document changed"])
        run.refused += 1
        print("  refused by brindle, unchanged")
        return
    for command in ("add-all", "remove-code-all"):
        status, output = brindle.run(command, copy)
        # Exit status 1 also tells of code the command left as it was, which is no failure here;
        # a step that failed says "error N".
        if status not in (0, 1) or STEP_FAILED.search(output):
            run.fail(relative, command, [f"brindle exited {status}: {output}"])
            return
        written, why = brindle.read(copy)
        if written is None:
            run.fail(relative, command, [f"Brindle cannot read what it wrote: {why}"])
            return
        run.fail(relative, command, written_faithfully(source, copy))
        try:
            libreoffice = office.modules(copy, written["name"])
            named = project_names(copy, written["codePage"])
            run.fail(relative, command, compare(written, named, libreoffice, executable))
        except Exception as e:
            run.fail(relative, command, [f"LibreOffice cannot read what brindle wrote: {e}"])
        if command == "add-all":
            run.added += written != project
            if written == project and "nothing to change" not in output:
                run.fail(relative, command, [f"brindle wrote nothing: {output}"])
        elif written != project:
            run.fail(relative, command, ["Brindle's reading differs from the original's:\n"
                                         + first_difference(json.dumps(project, indent=1),
                                                            json.dumps(written, indent=1))])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--corpus", required=True, help="the folder of Office documents")
    parser.add_argument("--dump", required=True, help="the office_modules program")
    parser.add_argument("--brindle", help="the brindle program, to write copies too")
    parser.add_argument("--minimum", type=int, default=65,
                        help="fewest documents that must be compared")
    parser.add_argument("--timeout", type=int, default=120, help="seconds per document")
    parser.add_argument("documents", nargs="*", help="only these documents of the corpus")
    args = parser.parse_args()

    soffice = shutil.which("soffice")
    if soffice is None:
        unavailable("LibreOffice (soffice) is not installed")
    try:
        import uno  # noqa: F401
        import olefile  # noqa: F401
    except ImportError as e:
        unavailable(f"{sys.executable} lacks {e.name}")

    documents = sorted(
        os.path.join(folder, name)
        for folder, _, names in os.walk(args.corpus) for name in names
        if name.lower().endswith(KINDS)
        and (not args.documents or any(os.path.join(folder, name).endswith(d)
                                       for d in args.documents)))
    started = time.monotonic()
    run = Run()
    with tempfile.TemporaryDirectory(prefix="brindle-libreoffice-") as work:
        office = LibreOffice(soffice, work, args.timeout)
        brindle = Brindle(args.dump, args.brindle, args.timeout)
        try:
            for document in documents:
                try:
                    check_document(run, document, args.corpus, work, brindle, office)
                except subprocess.TimeoutExpired as e:
                    run.fail(os.path.relpath(document, args.corpus), "timeout",
                             [f"{os.path.basename(e.cmd[0])} took longer than {e.timeout} s"])
        finally:
            office.stop()

    print(f"\n{run.compared} documents, {run.modules} modules compared with LibreOffice "
          f"in {time.monotonic() - started:.0f} s; soffice started {office.starts} times")
    if args.brindle is not None:
        print(f"brindle add-all changed {run.added} documents, each read back by both and "
              f"given back by remove-code-all; {run.refused} documents refused and unchanged")
    if run.not_compared:
        print(f"{len(run.not_compared)} not compared:")
        for line in run.not_compared:
            print(f"  {line}")
    minimum = min(args.minimum, len(documents)) if args.documents else args.minimum
    if run.compared < minimum:
        run.failures.append(f"only {run.compared} documents compared, fewer than {minimum}")
    if args.brindle is not None and not args.documents and run.added == 0:
        run.failures.append("brindle add-all changed no document")
    if run.failures:
        print(f"\nFAILED: {len(run.failures)} problems:")
        for failure in run.failures:
            print(f"  {failure.splitlines()[0]}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
