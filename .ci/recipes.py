#!/usr/bin/env python3
"""The README's CI recipes as they stand there: the GitHub Actions workflow's steps, then the
GitLab job's script, run here against a clone of this repository's HEAD and a copy of the
example project, as the runner would run them. Brindle is installed below a DESTDIR rather than
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


def run(script, cwd, env, what):
    print(f"recipes: {what}", flush=True)
    done = subprocess.run(["bash", "-e", "-c", script], cwd=cwd, env=env)
    if done.returncode != 0:
        fail(f"{what} exited with {done.returncode}")


def take_github_env(env):
    """What a step wrote to $GITHUB_ENV is in the environment of the steps after it."""
    for line in Path(env["GITHUB_ENV"]).read_text().splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            env[key] = value


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

    install = None
    for number, step in enumerate(github["steps"], 1):
        if "run" not in step:
            continue  # actions/checkout and the like: the copy of the project stands for them
        script = step["run"].replace("/opt", opt)
        run(script, project, env, f"GitHub step {number}")
        take_github_env(env)
        if "git clone" in step["run"]:
            install = [line for line in step["run"].splitlines() if line.strip()]
            # The rest checks a project that holds everything, so each step has to pass.
            run("brindle add-all Inventory.vbp --yes --quiet", project, env,
                "completing the example")
    if install is None:
        fail("no step of the GitHub workflow clones and installs Brindle")

    # The GitLab job installs with the same lines, which are not run twice; the rest is run.
    env.update({k: str(v) for k, v in gitlab.get("variables", {}).items()})
    env["BRINDLE_GIT"] = f"file://{ROOT}"
    script = [str(line) for line in gitlab["script"]]
    if script[:len(install)] != install:
        fail("the GitLab job installs Brindle otherwise than the GitHub workflow:\n"
             + "\n".join(script[:len(install)]))
    run("\n".join(script[len(install):]), project, env, "the GitLab job's remaining lines")

    print("recipes: the README's CI recipes ran as written")


if __name__ == "__main__":
    main()
