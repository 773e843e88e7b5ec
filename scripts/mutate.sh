#!/usr/bin/env bash
# Mutation run: what the test suite notices. Samples lines of the domain code
# (a fixed seed, so a run over the same sources is repeatable), changes one
# thing per mutant (a comparison, an integer literal by one, true/false,
# && / ||), rebuilds incrementally, runs the tests and puts the file back.
# A mutant no test notices survives: a gap in the suite, or a change that
# means nothing (an equivalent mutant).
#
# Usage: scripts/mutate.sh [-n mutants] [-s seed] [-d "folders"] [-R ctest-regex] [-E ctest-regex]
#                          [-t seconds-per-mutant] [-b "build targets"] [-f file] [-x] [-l]
#   -n  mutants to sample (default 30)
#   -s  seed of the sample (default 24)
#   -d  folders to sample from (default: all the domain folders below)
#   -R  run only the tests whose names match (ctest -R); -E leaves some out
#   -x  run the test programs directly, each once with all its cases, instead
#       of one process per case under ctest (much quicker); -R and -E then
#       match program names, and only the matching programs are rebuilt
#   -t  time limit of one mutant's test run; running longer counts as noticed
#       (default 900)
#   -b  targets to rebuild (default: every test program, with what it needs)
#   -f  keep the sample in this file: written when it does not exist, read
#       when it does, so a later run measures the same mutants after the
#       sources moved (a mutant whose line changed is left out and named)
#   -l  only list the sample
# The build tree is build/default (configure it first). Uses -j2: the
# machine is shared.
set -euo pipefail
cd "$(dirname "$0")/.."

count=30 seed=24 folders="" include="" exclude="" limit=900 targets="" sample="" direct=0 list_only=0
while getopts "n:s:d:R:E:t:b:f:xl" option; do
    case "$option" in
    n) count="$OPTARG" ;;
    s) seed="$OPTARG" ;;
    d) folders="$OPTARG" ;;
    R) include="$OPTARG" ;;
    E) exclude="$OPTARG" ;;
    t) limit="$OPTARG" ;;
    b) targets="$OPTARG" ;;
    f) sample="$OPTARG" ;;
    x) direct=1 ;;
    l) list_only=1 ;;
    *) sed -n '2,26p' "$0" >&2; exit 2 ;;
    esac
done

export MUTATE_COUNT="$count" MUTATE_SEED="$seed" MUTATE_FOLDERS="$folders" MUTATE_INCLUDE="$include"
export MUTATE_EXCLUDE="$exclude" MUTATE_LIMIT="$limit" MUTATE_TARGETS="$targets"
export MUTATE_LIST_ONLY="$list_only" MUTATE_SAMPLE="$sample" MUTATE_DIRECT="$direct"
exec python3 - <<'PY'
import glob, os, random, re, signal, subprocess, sys, time

# Domain code: the panel, its components and the programs around it; test,
# bench and fuzz code is not mutated.
FOLDERS = ("runtime/", "components/", "exchange/", "form/", "diagnostics/", "plugin/",
           "presentation/", "link/", "remote/", "host/")
if os.environ["MUTATE_FOLDERS"]:
    FOLDERS = tuple(f.rstrip("/") + "/" for f in os.environ["MUTATE_FOLDERS"].split())
SKIPPED = re.compile(r"(^|/)(tests?|bench|fuzz)/")

count = int(os.environ["MUTATE_COUNT"])
seed = int(os.environ["MUTATE_SEED"])
limit = int(os.environ["MUTATE_LIMIT"])

files = subprocess.run(["git", "ls-files", "--", *FOLDERS], capture_output=True, text=True,
                       check=True).stdout.split()
files = sorted(f for f in files if f.endswith((".cpp", ".h")) and not SKIPPED.search(f))

STRING = re.compile(r'"(?:\\.|[^"\\])*"|\'(?:\\.|[^\'\\])*\'')
# Binary comparisons are written with spaces round them; templates and
# stream operators are not.
SITES = [
    (re.compile(r"(?<= )(<=|>=|==|!=|<|>)(?= )"),
     {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}),
    (re.compile(r"(?<= )(&&|\|\|)(?= )"), {"&&": "||", "||": "&&"}),
    (re.compile(r"\b(true|false)\b"), {"true": "false", "false": "true"}),
    (re.compile(r"(?<![\w.'])(\d+)(?![\w.'])"), None),  # integer literal, by one
]


def code_part(line):
    """The line with string and character literals blanked and any comment cut."""
    blank = STRING.sub(lambda m: " " * len(m.group(0)), line)
    cut = blank.find("//")
    return blank if cut < 0 else blank[:cut]


def sites(line):
    stripped = line.strip()
    if (not stripped or stripped.startswith(("#", "//", "*", "/*")) or "static_assert" in line):
        return []
    code = code_part(line)
    found = []
    for pattern, table in SITES:
        for match in pattern.finditer(code):
            found.append((match.start(1), match.group(1), table))
    return found


candidates = []
for path in files:
    with open(path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            if sites(line):
                candidates.append((path, number))


def draw_sample():
    rng = random.Random(seed)
    drawn = []
    for path, number in rng.sample(candidates, min(count, len(candidates))):
        with open(path, encoding="utf-8") as source:
            line = source.read().split("\n")[number - 1]
        column, old, table = rng.choice(sites(line))
        if table:
            new = table[old]
        else:
            value = int(old)
            new = str(value + 1 if value == 0 or rng.random() < 0.5 else value - 1)
        drawn.append((path, number, column, old, new))
    return sorted(drawn)


def still_there(path, number, column, old):
    with open(path, encoding="utf-8") as source:
        lines = source.read().split("\n")
    return number <= len(lines) and lines[number - 1][column:column + len(old)] == old


sample_file = os.environ["MUTATE_SAMPLE"]
if sample_file and os.path.exists(sample_file):
    mutants = []
    with open(sample_file, encoding="utf-8") as kept:
        for entry in kept:
            path, number, column, old, new = entry.split()
            if still_there(path, int(number), int(column), old):
                mutants.append((path, int(number), int(column), old, new))
            else:
                print(f"left out, its line changed: {path}:{number}: {old} -> {new}")
else:
    mutants = draw_sample()
    if sample_file:
        with open(sample_file, "w", encoding="utf-8") as kept:
            for mutant in mutants:
                kept.write(" ".join(map(str, mutant)) + "\n")

print(f"{len(mutants)} mutants of {len(candidates)} candidate lines in {len(files)} files, seed {seed}")
if os.environ["MUTATE_LIST_ONLY"] == "1":
    for path, number, column, old, new in mutants:
        print(f"  {path}:{number}: {old} -> {new}")
    sys.exit(0)

include = os.environ["MUTATE_INCLUDE"]
exclude = os.environ["MUTATE_EXCLUDE"]
direct = os.environ["MUTATE_DIRECT"] == "1"
programs = []  # (folder, name) of every test program
for listing in sorted(glob.glob("tests/*/CMakeLists.txt")):
    with open(listing, encoding="utf-8") as cmake:
        for name in re.findall(r"jex_add_test\((\w+)", cmake.read()):
            if direct and ((include and not re.search(include, name)) or
                           (exclude and re.search(exclude, name))):
                continue
            programs.append((os.path.dirname(listing), name))
targets = os.environ["MUTATE_TARGETS"].split() or [name for _, name in programs]
build = ["cmake", "--build", "--preset", "default", "-j2", "--target", *targets]
environment = dict(os.environ, QT_QPA_PLATFORM="offscreen",
                   JEX_COMPONENT_PATH=os.path.abspath("build/default/stage/components"))
if direct:
    test = [[f"build/default/{folder}/{name}", "--gtest_brief=1"] for folder, name in programs]
else:
    command = ["ctest", "--preset", "default", "-j2", "--stop-on-failure", "--timeout", "120"]
    if include:
        command += ["-R", include]
    if exclude:
        command += ["-E", exclude]
    test = [command]


def run_tests(seconds):
    """True when every test passes; the first failing program ends the run."""
    deadline = time.monotonic() + seconds
    return all(run(command, max(1, deadline - time.monotonic())) for command in test)


def run(command, seconds):
    """True when the command succeeds within the time."""
    try:
        return subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, env=environment,
                              timeout=seconds).returncode == 0
    except subprocess.TimeoutExpired:
        return False


if not run(build, 3600) or not run_tests(limit):
    sys.exit("the unchanged tree does not build or its tests fail: nothing to measure")



def stop(signum, frame):
    raise KeyboardInterrupt


# A stopped run puts the mutated file back and scores what it measured.
signal.signal(signal.SIGTERM, stop)
signal.signal(signal.SIGINT, stop)

killed, survivors, unbuilt = 0, [], []
for index, (path, number, column, old, new) in enumerate(mutants, 1):
    with open(path, encoding="utf-8") as source:
        original = source.read()
    lines = original.split("\n")
    line = lines[number - 1]
    lines[number - 1] = line[:column] + new + line[column + len(old):]
    label = f"{path}:{number}: {old} -> {new}"
    started = time.monotonic()
    try:
        with open(path, "w", encoding="utf-8") as target:
            target.write("\n".join(lines))
        if not run(build, 1800):
            unbuilt.append(label)
            verdict = "does not build"
        elif run_tests(limit):
            survivors.append(label)
            verdict = "SURVIVED"
        else:
            killed += 1
            verdict = "killed"
    except KeyboardInterrupt:
        print(f"stopped at {label}", flush=True)
        break
    finally:
        with open(path, "w", encoding="utf-8") as target:
            target.write(original)
    print(f"[{index}/{len(mutants)}] {verdict:15} {label} ({time.monotonic() - started:.0f} s)",
          flush=True)

run(build, 3600)  # the tree as it was
total = killed + len(survivors)
print(f"\nscore: {killed} / {total} killed", end="")
print(f" ({len(unbuilt)} mutants did not build and are not counted)")
for label in survivors:
    print(f"  survived: {label}")
PY
