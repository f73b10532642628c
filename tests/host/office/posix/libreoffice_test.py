#!/usr/bin/env python3
"""The Office documents of the corpus as LibreOffice reads them, against Brindle's reading.

One headless soffice, with a profile of its own that loads VBA code and never runs it, opens each
document and gives each module's text through its own VBA import; office_modules gives Brindle's.
LibreOffice changes the text in known ways (module_as_libreoffice), and only those are undone:
any other difference fails. With --brindle, `brindle add-all` and then `brindle remove-code-all`
write a copy of each document: after each, both readers read it again and olefile opens each of
its compound files, and after removal Brindle's reading must be the original's. Documents
Brindle refuses must stay as they were. Which streams and zip entries the writer may change is
host_office_write_test's to check.

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
# The application that opens each kind of document; Impress imports code as comments, not to run.
APPLICATIONS = {
    "Calc": (".xlsm", ".xlam", ".xls"),
    "Writer": (".docm", ".dotm", ".doc", ".dot"),
    "Impress": (".pptm",),
}
KINDS = sum(APPLICATIONS.values(), ())
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
# OUString::trim's blanks: controls, the space, and the spaces of General Punctuation.
BLANKS = "".join(map(chr, [*range(1, 33), *range(0x2000, 0x200C), 0x2028, 0x2029]))
STEP_FAILED = re.compile(r"^brindle: .*\berror \d+, ", re.MULTILINE)
# The keys of the PROJECT stream's lines that give a module's kind.
PROJECT_KEYS = ("document", "module", "class", "baseclass")


def unavailable(why):
    if os.environ.get("BRINDLE_REQUIRE_LIBREOFFICE", "") not in ("", "0"):
        print(f"FAILED: {why} (BRINDLE_REQUIRE_LIBREOFFICE is set)")
        sys.exit(1)
    print(f"SKIPPED: {why} (scripts/test.sh installs it)")
    sys.exit(SKIP)


def is_executable(path):
    return not path.lower().endswith(APPLICATIONS["Impress"])


def libreoffice_lines(text):
    """The lines of a text as LibreOffice's text stream reads them to the end.

    CR LF and LF CR end a line, as CR and LF alone do. A line break that ends the text leaves an
    empty line after it, unless it is a lone CR or LF: the stream looks past it for its pair,
    meets the end, and keeps it in the last line.
    """
    parts = re.split(r"(\r\n|\n\r|\r|\n)", text)
    lines = parts[0::2]
    if len(parts) > 1 and len(parts[-2]) == 1 and not parts[-1]:
        lines[-2:] = [lines[-2] + parts[-2]]
    return lines


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
    sub_at = None  # where the open Sub starts in the text
    for line in libreoffice_lines(module["source"]):
        if line.startswith("Attribute "):
            continue
        trimmed = line.lstrip(BLANKS)
        if executable and trimmed.startswith(SUB_STARTS):
            if sub_at is not None:
                text = text[:sub_at] + UNMATCHED + text[sub_at:]
            sub_at = len(text)
        elif executable and trimmed.startswith("End Sub"):
            text += UNMATCHED if sub_at is None else ""
            sub_at = None
        text += ("" if executable else "Rem ") + line + "\n"
    kind = kind_in_libreoffice(module, named)
    head = "Rem Attribute VBA_ModuleType=" + MODULE_TYPES[kind] + "\n"
    if not executable:
        return head + "Sub " + module["stream"].replace(" ", "_") + "\n" + text + "End Sub\n"
    head += "Option VBASupport 1\n" + ("Option ClassModule\n" if kind == "class" else "")
    return head + text


def first_difference(expected, actual, limit=12):
    """The start of a diff of two texts by their LF-ended lines, a CR shown as \\r."""
    shown = list(difflib.unified_diff(expected.replace("\r", "\\r").split("\n"),
                                      actual.replace("\r", "\\r").split("\n"),
                                      "Brindle (as LibreOffice shows it)", "LibreOffice", n=1,
                                      lineterm=""))
    more = [f"... {len(shown) - limit} more diff lines"] if len(shown) > limit else []
    return "\n".join(shown[:limit] + more)


def compound_files(path):
    """The compound files of a document: itself, or the parts of its zip that are one."""
    import olefile
    with open(path, "rb") as f:
        data = f.read()
    # Not zipfile.is_zipfile: it finds the zip of an attachment at the end of a compound file.
    if not data.startswith(b"PK\x03\x04"):
        return {"": data}
    with zipfile.ZipFile(io.BytesIO(data)) as package:
        parts = {name: package.read(name) for name in package.namelist()}
    return {name: part for name, part in parts.items() if olefile.isOleFile(io.BytesIO(part))}


def streams(data):
    """Each stream's path in a compound file, with its bytes, as olefile reads them."""
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
            if not (entry.endswith("PROJECT") and entry[:-len("PROJECT")] + "VBA/dir" in entries):
                continue
            for line in libreoffice_lines(text.decode(codec, "replace")):
                line = line.strip()
                if line.startswith("[") and line.endswith("]") and len(line) >= 2:
                    break
                key, _, value = (part.strip() for part in line.partition("="))
                if key.lower() in PROJECT_KEYS and value:
                    names.add(value.split("/")[0] if key.lower() == "document" else value)
    return names


def olefile_problems(original, written):
    """olefile, a reader of its own, must open every compound file brindle wrote and read each
    of its streams."""
    before, after = compound_files(original), compound_files(written)
    if before.keys() != after.keys():
        return [f"the compound files {sorted(before)} became {sorted(after)}"]
    try:
        for data in after.values():
            streams(data)
    except Exception as e:
        return [f"olefile cannot read what brindle wrote: {e}"]
    return []


class LibreOffice:
    """One headless soffice, restarted only when a document stalls it."""

    def __init__(self, soffice, work, timeout):
        self.soffice, self.work, self.timeout = soffice, work, timeout
        self.process = self.desktop = None
        self.starts = 0
        self.broken = ""

    def profile(self):
        """A fresh user profile that loads each application's VBA code, never runs a macro."""
        folder = os.path.join(self.work, f"profile{self.starts}")
        os.makedirs(os.path.join(folder, "user"))
        item = ('<item oor:path="{}"><prop oor:name="{}" oor:op="fuse"><value>{}</value></prop>'
                "</item>")
        items = [item.format("/org.openoffice.Office.Common/Security/Scripting",
                             "MacroSecurityLevel", 3)]
        for app in APPLICATIONS:
            path = f"/org.openoffice.Office.{app}/Filter/Import/VBA"
            items.append(item.format(path, "Load", "true"))
            if app != "Impress":
                items.append(item.format(path, "Executable", "true"))
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
        self.process = subprocess.Popen(
            [self.soffice, "--headless", "--invisible", "--norestore", "--nologo",
             "--nodefault", "--nolockcheck", f"-env:UserInstallation=file://{self.profile()}",
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

    def kill(self):
        """Ends soffice and what it started, the process group of its own."""
        if self.process is None:
            return
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.process.wait()
        self.process = self.desktop = None

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

        args = {"Hidden": True, "ReadOnly": True, "MacroExecutionMode": NEVER_EXECUTE}
        extension = os.path.splitext(path)[1].lower()
        if extension in FILTERS:
            args["FilterName"] = FILTERS[extension]
        document = self.desktop.loadComponentFromURL(
            uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0,
            tuple(PropertyValue(Name=name, Value=value) for name, value in args.items()))
        if document is None:
            raise RuntimeError("LibreOffice did not open the document")
        try:
            libraries = document.BasicLibraries
            if library not in libraries.getElementNames():
                raise RuntimeError(f"LibreOffice has no library {library!r}, only "
                                   f"{list(libraries.getElementNames())}")
            libraries.loadLibrary(library)
            modules = libraries.getByName(library)
            return {name: modules.getByName(name) for name in modules.getElementNames()}
        finally:
            document.close(True)


class Run:
    def __init__(self, args, office, work):
        self.args, self.office, self.work = args, office, work
        self.failures, self.not_compared = [], []
        self.compared = self.modules = self.added = self.refused = 0

    def fail(self, document, phase, problems):
        for problem in problems:
            self.failures.append(f"{document} [{phase}]: {problem}")
            print(f"  FAILED [{phase}]: {problem}")

    def read(self, path):
        """Brindle's reading of the document as JSON, or None and why it does not read it."""
        run = subprocess.run([self.args.dump, path], capture_output=True,
                             timeout=self.args.timeout)
        if run.returncode != 0:
            return None, run.stderr.decode("utf-8", "replace").strip()
        return json.loads(run.stdout.decode("utf-8")), ""

    def brindle(self, command, path):
        run = subprocess.run([self.args.brindle, command, "--yes", path], capture_output=True,
                             timeout=self.args.timeout)
        return run.returncode, (run.stdout + run.stderr).decode("utf-8", "replace").strip()

    def differences(self, project, path):
        """What LibreOffice reads otherwise in the document than Brindle's `project`."""
        try:
            libreoffice = self.office.modules(path, project["name"])
        except Exception as e:
            return [f"LibreOffice cannot read it: {e}"]
        named = project_names(path, project["codePage"])
        streams = [m["stream"] for m in project["modules"]]
        missing = [n for n in streams if n not in libreoffice]
        extra = [n for n in libreoffice if n not in streams]
        problems = ([f"modules only Brindle read: {missing}; only LibreOffice: {extra}"]
                    if missing or extra else [])
        for module in project["modules"]:
            expected = module_as_libreoffice(module, named, is_executable(path))
            actual = libreoffice.get(module["stream"], expected)
            if expected != actual:
                problems.append(f"module {module['name']} ({module['kind']}) differs:\n"
                                + first_difference(expected, actual))
        return problems

    def check(self, source):
        """The document compared, and with --brindle its copy as brindle writes it."""
        name = os.path.relpath(source, self.args.corpus)
        print(name)
        copy = os.path.join(tempfile.mkdtemp(dir=self.work), os.path.basename(source))
        shutil.copyfile(source, copy)
        project, why = self.read(copy)
        if project is None:
            self.not_compared.append(f"{name}: Brindle does not read it: {why}")
            print(f"  not compared: Brindle does not read it: {why}")
        else:
            self.fail(name, "original", self.differences(project, copy))
            self.compared += 1
            self.modules += len(project["modules"])
        if self.args.brindle is None:
            return
        if project is None or project["signed"] or project["lockedForViewing"]:
            self.check_refused(name, source, copy)
            return
        for command in ("add-all", "remove-code-all"):
            status, output = self.brindle(command, copy)
            # Exit status 1 also tells of code the command left as it was, which is no failure
            # here; a step that failed says "error N".
            if status not in (0, 1) or STEP_FAILED.search(output):
                return self.fail(name, command, [f"brindle exited {status}: {output}"])
            written, why = self.read(copy)
            if written is None:
                return self.fail(name, command, [f"Brindle cannot read what it wrote: {why}"])
            problems = olefile_problems(source, copy)
            if problems:
                return self.fail(name, command, problems)
            if command == "add-all":
                self.added += written != project
                if written == project and "nothing to change" not in output:
                    problems.append(f"brindle wrote nothing: {output}")
            elif written != project:
                problems.append("Brindle's reading differs from the original's:\n"
                                + first_difference(json.dumps(project, indent=1),
                                                   json.dumps(written, indent=1)))
            self.fail(name, command, problems + self.differences(written, copy))

    def check_refused(self, name, source, copy):
        with open(source, "rb") as f:
            original = f.read()
        for command in ("add-all", "remove-code-all"):
            status, output = self.brindle(command, copy)
            if status == 0:
                self.fail(name, command, [f"brindle wrote a document it must refuse: {output}"])
            with open(copy, "rb") as f:
                if f.read() != original:
                    self.fail(name, command, ["the refused document changed"])
        self.refused += 1
        print("  refused by brindle, unchanged")


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
    with tempfile.TemporaryDirectory(prefix="brindle-libreoffice-") as work:
        run = Run(args, LibreOffice(soffice, work, args.timeout), work)
        try:
            for document in documents:
                try:
                    run.check(document)
                except subprocess.TimeoutExpired as e:
                    run.fail(os.path.relpath(document, args.corpus), "timeout",
                             [f"{os.path.basename(e.cmd[0])} took longer than {e.timeout} s"])
        finally:
            run.office.kill()

    print(f"\n{run.compared} documents, {run.modules} modules compared with LibreOffice "
          f"in {time.monotonic() - started:.0f} s; soffice started {run.office.starts} times")
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
