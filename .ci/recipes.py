#!/usr/bin/env python3
"""The README's CI recipes as they stand there: the GitHub Actions workflow's steps, then the
GitLab job's script, run here against a clone of this repository's HEAD and a copy of the
example project, as the runner would run them; then the workflow for a repository of workbooks,
on copies of documents of the corpus. Brindle is installed below a DESTDIR rather than
into the machine, and its Release build is left in WORK/opt/brindle/build for the steps after.

Usage: recipes.py WORK
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

import yaml

ROOT = Path(__file__).resolve().parent.parent
# Documents of the corpus that the workbooks' workflow is tried on.
WORKBOOKS = (
    "akiGAMEBOY__ExcelVBA_CreatePdfBookmark/bin/ExcelVBA_CreatePdfBookmark.xlsm",
    "apache__poi/test-data/spreadsheet/39234.xls",
    "navferty__SampleExcelXlamAddin/Sample.xlsm",
    "apache__poi/test-data/document/SimpleMacro.docm",
)


def fail(message):
    sys.exit(f"recipes: {message}")


def yaml_after(readme, heading):
    """The first yaml block of the README after the line that holds `heading`."""
    found = re.search(r"\s+".join(map(re.escape, heading.split())), readme)
    if not found:
        fail(f"the README no longer says {heading!r}")
    block = re.search(r"```yaml\n(.*?)```", readme[found.end():], re.S)
    if not block:
        fail(f"no yaml block after {heading!r}")
    return yaml.safe_load(block.group(1))


def run(script, cwd, env, what, check=True):
    print(f"recipes: {what}", flush=True)
    done = subprocess.run(["bash", "-e", "-c", script], cwd=cwd, env=env)
    if check and done.returncode != 0:
        fail(f"{what} exited with {done.returncode}")
    return done.returncode == 0


def take_github_env(env):
    """What a step wrote to $GITHUB_ENV is in the environment of the steps after it."""
    for line in Path(env["GITHUB_ENV"]).read_text().splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            env[key] = value


def should_run(condition, failed, outcomes):
    """The few step conditions of GitHub's expressions that a recipe may use."""
    condition = str(condition).strip()
    if condition.startswith("${{") and condition.endswith("}}"):
        condition = condition[3:-2].strip()
    if condition in ("always()", "success() || failure()"):
        return True
    if condition == "failure()":
        return failed
    if condition == "success()":
        return not failed
    test = re.fullmatch(r"steps\.([\w-]+)\.(outcome|conclusion) *(==|!=) *'(\w+)'", condition)
    if not test:
        fail(f"a step's condition this check does not know: {condition}")
    step, kind, op, value = test.groups()
    equal = outcomes.get(step, {}).get(kind) == value
    return not failed and (equal if op == "==" else not equal)


def run_steps(steps, project, env, what):
    """Runs the steps as the runner would; whether the job succeeded."""
    failed = False
    outcomes = {}
    for number, step in enumerate(steps, 1):
        if "run" not in step or not should_run(step.get("if", "success()"), failed, outcomes):
            continue  # actions/checkout and the like: the copy of the project stands for them
        ok = run(step["run"], project, env, f"{what}, step {number}", check=False)
        take_github_env(env)
        tolerated = bool(step.get("continue-on-error", False))
        outcomes[str(step.get("id", number))] = {
            "outcome": "success" if ok else "failure",
            "conclusion": "success" if ok or tolerated else "failure",
        }
        failed = failed or not (ok or tolerated)
    return not failed


def main():
    if len(sys.argv) != 2:
        fail("usage: recipes.py WORK")
    work = Path(sys.argv[1]).resolve()
    work.mkdir(parents=True, exist_ok=True)
    readme = (ROOT / "README.md").read_text()
    github = yaml_after(readme, "A GitHub Actions workflow")["jobs"]["brindle"]
    gitlab = yaml_after(readme, "The same for GitLab CI")["brindle"]

    project = work / "project"
    shutil.copytree(ROOT / "examples", project)
    prefix = work / "root"
    env = dict(os.environ)
    env.update({k: str(v) for k, v in github.get("env", {}).items()})
    env.update({
        "BRINDLE_GIT": f"file://{ROOT}",
        "DESTDIR": str(prefix),
        "PATH": f"{prefix}/usr/local/bin:{env['PATH']}",
        "BRINDLE_SETTINGS": str(work / "settings.ini"),
        # Our own builds stop on a warning.
        "CXXFLAGS": "-Werror",
        "GITHUB_WORKSPACE": str(project),
        "GITHUB_ENV": str(work / "github.env"),
        "GITHUB_OUTPUT": str(work / "github.output"),
        "GITHUB_STEP_SUMMARY": str(work / "github.summary"),
        "CI_PROJECT_DIR": str(project),
    })
    for name in ("GITHUB_ENV", "GITHUB_OUTPUT", "GITHUB_STEP_SUMMARY"):
        Path(env[name]).touch()
    opt = str(work / "opt")

    steps = github["steps"]
    cloning = [i for i, step in enumerate(steps) if "git clone" in step.get("run", "")]
    if len(cloning) != 1:
        fail("no one step of the GitHub workflow clones and installs Brindle")
    installing = dict(steps[cloning[0]], run=steps[cloning[0]]["run"].replace("/opt", opt))
    if not run_steps(steps[:cloning[0]] + [installing], project, env, "GitHub, installing"):
        fail("the GitHub workflow did not install Brindle")
    install = [line for line in steps[cloning[0]]["run"].splitlines() if line.strip()]
    checking = steps[cloning[0] + 1:]

    # On the example as it is the job fails, yet its SARIF log is made for the upload; on the
    # example with everything added it passes.
    bare = work / "bare"
    shutil.copytree(project, bare)
    if run_steps(checking, bare, dict(env, GITHUB_WORKSPACE=str(bare)), "GitHub, bare example"):
        fail("the GitHub workflow passed a project without headers and error handlers")
    if "sarif" in str(checking) and not (bare / "brindle.sarif").stat().st_size:
        fail("the GitHub workflow left no SARIF log to upload")
    run("brindle add-all Inventory.vbp --yes --quiet", project, env, "completing the example")
    if not run_steps(checking, project, env, "GitHub, completed example"):
        fail("the GitHub workflow failed on the completed example")

    # The GitLab job installs with the same lines, which are not run twice; the rest is run.
    env.update({k: str(v) for k, v in gitlab.get("variables", {}).items()})
    env["BRINDLE_GIT"] = f"file://{ROOT}"
    script = [str(line) for line in gitlab["script"]]
    if script[:len(install)] != install:
        fail("the GitLab job installs Brindle otherwise than the GitHub workflow:\n"
             + "\n".join(script[:len(install)]))
    rest = "\n".join(script[len(install):])
    if run(rest, bare, dict(env, CI_PROJECT_DIR=str(bare)), "GitLab, bare example", check=False):
        fail("the GitLab job passed a project without headers and error handlers")
    run(rest, project, env, "GitLab, completed example")

    # The workflow for a repository of workbooks installs as the first one does; its check
    # fails on documents as they are and passes once they are completed.
    workbooks = yaml_after(readme, "For a repository of workbooks")["jobs"]["brindle"]["steps"]
    cloning = [i for i, step in enumerate(workbooks) if "git clone" in step.get("run", "")]
    if len(cloning) != 1 or workbooks[cloning[0]]["run"] != steps[
            [i for i, step in enumerate(steps) if "git clone" in step.get("run", "")][0]]["run"]:
        fail("the workbooks' workflow installs Brindle otherwise than the GitHub workflow")
    checking = workbooks[cloning[0] + 1:]
    documents = work / "workbooks"
    for document in WORKBOOKS:
        target = documents / Path(document).name
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(ROOT / "corpus" / "office" / document, target)
    if run_steps(checking, documents, dict(env, GITHUB_WORKSPACE=str(documents)),
                 "workbooks, as they are"):
        fail("the workbooks' workflow passed documents without headers and error handlers")
    run("brindle add-all . --yes --quiet", documents, env, "completing the workbooks")
    if not run_steps(checking, documents, dict(env, GITHUB_WORKSPACE=str(documents)),
                     "workbooks, completed"):
        fail("the workbooks' workflow failed on the completed documents")

    print("recipes: the README's CI recipes ran as written")


if __name__ == "__main__":
    main()
