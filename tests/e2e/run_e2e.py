#!/usr/bin/env python3
"""End-to-end tests of the territory program under Wine on a virtual display.

The real territory.exe runs under Wine in its own Xvfb; the tests act on it as a user would,
with real mouse clicks and key presses through xdotool, and read the window from outside
through e2e_driver.exe, a Win32 console program that runs under Wine beside it.

Each scenario starts the program afresh, runs its steps in order and ends with a step that
closes the program and checks its exit code. To add a test, write a step function taking the
Session and recording cases with `session.results.expect(...)`, then list it in SCENARIOS.

Standard library only. Every wait has a timeout; Xvfb, the wineserver and the program are
stopped at the end whatever happened, each by the process id this harness started.
"""

from __future__ import annotations

import argparse
import dataclasses
import json
import os
import random
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path
from typing import Callable

ROOT = Path(__file__).resolve().parents[2]
WINE_RUN = ROOT / "scripts" / "wine-run"

SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768
TITLE = "领地设置"
WINDOW_WIDTH, WINDOW_HEIGHT = 609, 369

# Seconds: the whole run, one program start, one driver or xdotool call, one poll for a result,
# one poll for a result that needs a very long text re-wrapped first (see check_long_inputs).
RUN_TIMEOUT = 900
START_TIMEOUT = 60
CALL_TIMEOUT = 30
SETTLE_TIMEOUT = 10
LONG_TIMEOUT = 240

# Driver exit codes that a step tells apart (see driver.cpp).
DRIVER_NO_CLIPBOARD_TEXT, DRIVER_NO_ANSWER = 5, 6

# --- the window as it must look -------------------------------------------------------------


@dataclasses.dataclass(frozen=True)
class Control:
    pos: int  # list position in the form data, 1 to 43
    name: str
    kind: str
    parent: str  # the group frame that contains it, or "" for the window's client area
    left: int  # top-left corner in the window's client coordinates
    top: int
    width: int
    height: int
    caption: str | None  # None: a fixed text of the program's own choosing


# One row per control, in list order: name, kind, containing group frame, corner in the
# window's client area, size, caption.
CONTROLS = [
    Control(1, "查看玩家所有领地", "Button", "分组框10", 191, 62, 82, 31, "查看玩家所有领地"),
    Control(2, "查看权限列表1", "Button", "分组框9", 398, 296, 155, 24, "删除一个玩家所有权限"),
    Control(3, "分组框8", "GroupBox", "分组框1", -2, 1, 608, 343, ""),
    Control(4, "查看权限列表", "Button", "分组框9", 398, 268, 155, 24, "给不同的玩家上设置权限"),
    Control(5, "分组框9", "GroupBox", "分组框8", 376, 248, 224, 88, "为某玩家设置该领地的特定权限"),
    Control(6, "传送世界上随机位置", "Button", "分组框10", 95, 62, 84, 31, "传送世界上随机位置"),
    Control(7, "查看圈地领地大小和金钱", "Button", "分组框10", 2, 62, 84, 31, "查看圈地领地大小和金钱"),
    Control(8, "显示领地限制", "Button", "分组框10", 191, 26, 82, 31, "显示领地限制"),
    Control(9, "查看领地", "Button", "分组框10", 3, 26, 84, 31, "查看领地指令"),
    Control(10, "列出所有领地", "Button", "分组框10", 95, 26, 82, 31, "列出所有领地"),
    Control(11, "分组框10", "GroupBox", "分组框8", -1, 6, 289, 100, "不用站在领地内输入"),
    Control(12, "显示领地边界", "Button", "分组框11", 450, 24, 64, 31, "显示领地边界"),
    Control(13, "设置领地权限", "Button", "分组框11", 370, 24, 64, 31, "设置领地权限"),
    Control(14, "设置领地传送点", "Button", "分组框11", 298, 24, 64, 31, "设置领地传送点"),
    Control(15, "分组框11", "GroupBox", "分组框8", 290, 8, 312, 99, "站在领地内输入"),
    Control(16, "重置领地所有权限", "Button", "分组框14", 504, 201, 85, 31, "重置领地所有权限"),
    Control(17, "传送到领地", "Button", "分组框14", 400, 204, 85, 23, "传送到领地"),
    Control(18, "加入领地聊天频道", "Button", "分组框14", 196, 145, 85, 31, "加入领地聊天频道"),
    Control(19, "删除领地", "Button", "分组框14", 130, 145, 64, 24, "删除领地"),
    Control(20, "移除消息", "CheckBox", "分组框12", 120, 208, 50, 24, "移除消息"),
    Control(21, "生成", "Button", "分组框12", 352, 208, 32, 24, "生成"),
    Control(22, "消息4", "EditBox", "分组框12", 224, 207, 120, 25, ""),
    Control(23, "标签19", "Label", "分组框12", 190, 211, 23, 16, "消息"),
    Control(24, "离开", "RadioBox", "分组框12", 63, 216, 45, 16, "离开"),
    Control(25, "加入", "RadioBox", "分组框12", 6, 216, 45, 16, "加入"),
    Control(26, "分组框12", "GroupBox", "分组框14", 3, 191, 393, 53, "领地加入/离开消息"),
    Control(27, "标签20", "Label", "分组框14", 8, 121, 36, 16, "领地名"),
    Control(28, "显示领地信息", "Button", "分组框14", 197, 117, 85, 23, "显示领地信息"),
    Control(29, "给予玩家领地", "Button", "分组框13", 305, 161, 85, 23, "给予玩家领地"),
    Control(30, "标签21", "Label", "分组框13", 292, 135, 36, 16, "玩家名"),
    Control(31, "删除玩家领地基础权限", "Button", "分组框13", 504, 125, 71, 34, "删除玩家领地基础权限"),
    Control(32, "给玩家添加领地基础权限", "Button", "分组框13", 413, 126, 87, 34, "给玩家添加领地基础权限"),
    Control(33, "玩家名", "EditBox", "分组框13", 334, 130, 75, 24, ""),
    Control(34, "分组框13", "GroupBox", "分组框14", 289, 113, 309, 75, "领地内添加玩家权限"),
    Control(35, "以自身为中心创建最大领地", "Button", "分组框14", 8, 149, 120, 32, "以自身为中心创建最大领地"),
    Control(36, "创建领地", "Button", "分组框14", 129, 117, 64, 24, "创建领地"),
    Control(37, "领地名2", "EditBox", "分组框14", 53, 119, 75, 24, ""),
    Control(38, "分组框14", "GroupBox", "分组框8", 0, 105, 600, 147, "领地名"),
    Control(39, "标签22", "Label", "分组框15", 16, 316, 168, 16, None),
    Control(40, "复制11", "Button", "分组框15", 296, 284, 48, 32, "复制"),
    Control(41, "复制1", "EditBox", "分组框15", 8, 268, 280, 40, ""),
    Control(42, "分组框15", "GroupBox", "分组框8", 0, 252, 352, 88, "复制指令"),
    Control(43, "分组框1", "GroupBox", "", -10, -7, 616, 351, ""),
]
BY_NAME = {c.name: c for c in CONTROLS}


def child_id(name: str) -> int:
    """The child window id: the controls are created from the last list position down,
    the first getting 100 and each next one 10 more."""
    return 100 + 10 * (len(CONTROLS) - BY_NAME[name].pos)


# Window classes and button types by kind.
KIND_CLASS = {
    "Button": "Button",
    "GroupBox": "Button",
    "CheckBox": "Button",
    "RadioBox": "Button",
    "EditBox": "Edit",
    "Label": "TerritoryLabel",
}
BS_TYPEMASK = 0x0F
KIND_BUTTON_TYPE = {"Button": 0x0, "GroupBox": 0x7, "CheckBox": 0x3, "RadioBox": 0x9}
TAB_STOP_KINDS = {"Button", "EditBox", "CheckBox"}
MULTI_LINE_EDITS = {"复制1", "消息4"}
WS_CHILD, WS_VISIBLE, WS_TABSTOP, ES_MULTILINE = 0x40000000, 0x10000000, 0x00010000, 0x0004

# The 21 command buttons and the command each composes from the territory name {t} and the
# player name {p}.
COMMANDS = {
    "查看领地": "/res",
    "列出所有领地": "/res listall",
    "显示领地限制": "/res limits",
    "传送世界上随机位置": "/res rt",
    "查看圈地领地大小和金钱": "/res select size",
    "显示领地边界": "/res show",
    "设置领地权限": "/res set",
    "设置领地传送点": "/res tpset",
    "创建领地": "/res create {t}",
    "删除领地": "/res remove {t}",
    "显示领地信息": "/res info {t}",
    "加入领地聊天频道": "/res rc {t}",
    "以自身为中心创建最大领地": "/res auto {t}",
    "传送到领地": "/res tp {t}",
    "重置领地所有权限": "/res reset {t}",
    "查看玩家所有领地": "/res list {p}",
    "给予玩家领地": "/res give {t} {p}",
    "给玩家添加领地基础权限": "/res padd {t} {p}",
    "删除玩家领地基础权限": "/res pdel {t} {p}",
    "查看权限列表": "/res pset {t} {p}",
    "查看权限列表1": "/res pset {t} {p} removeall",
}
TERRITORY_FIELD, PLAYER_FIELD, OUTPUT_FIELD = "领地名2", "玩家名", "复制1"
MESSAGE_FIELD, ENTER_RADIO, LEAVE_RADIO, REMOVE_CHECK = "消息4", "加入", "离开", "移除消息"
GENERATE_BUTTON, COPY_BUTTON = "生成", "复制11"

# The keyboard's focus ring, first to last: Tab walks it down, Shift+Tab up, both wrapping.
FOCUS_RING = [
    "复制1", "复制11", "领地名2", "创建领地", "以自身为中心创建最大领地", "玩家名",
    "给玩家添加领地基础权限", "删除玩家领地基础权限", "给予玩家领地", "显示领地信息", "加入", "离开",
    "消息4", "生成", "移除消息", "删除领地", "加入领地聊天频道", "传送到领地", "重置领地所有权限",
    "设置领地传送点", "设置领地权限", "显示领地边界", "列出所有领地", "查看领地", "显示领地限制",
    "查看圈地领地大小和金钱", "传送世界上随机位置", "查看权限列表", "查看权限列表1", "查看玩家所有领地",
]


# --- results --------------------------------------------------------------------------------


class Abort(Exception):
    """The scenario cannot go on (no window, the program died): its remaining steps are skipped."""


@dataclasses.dataclass
class Results:
    passed: int = 0
    failed: list[str] = dataclasses.field(default_factory=list)
    # Called at the first failure of a scenario, while the window still shows it.
    on_first_failure: Callable[[], None] | None = None

    def expect(self, case: str, ok: bool, detail: str = "") -> bool:
        if ok:
            self.passed += 1
            print(f"  ok    {case}", flush=True)
        else:
            self.failed.append(f"{case}: {detail}")
            print(f"  FAIL  {case}: {detail}", flush=True)
            if self.on_first_failure is not None:
                snapshot, self.on_first_failure = self.on_first_failure, None
                snapshot()
        return ok


# --- the machinery: display, wineserver, program, driver, X input ----------------------------


@dataclasses.dataclass
class Machine:
    env: dict[str, str]
    artifacts: Path
    exe: Path
    driver: Path
    xvfb: subprocess.Popen | None = None
    wineserver: subprocess.Popen | None = None
    private_prefix: Path | None = None


@dataclasses.dataclass
class Session:
    machine: Machine
    results: Results
    scenario: str
    program: subprocess.Popen | None = None
    log_path: Path | None = None
    layout: dict | None = None


def run(machine: Machine, args: list[str], timeout: float = CALL_TIMEOUT) -> subprocess.CompletedProcess:
    """Runs a command to its end and returns its output. The output goes through files, not
    pipes: Wine's own service processes, started by the first program, inherit the handles and
    would keep a pipe open long after the command has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(args, env=machine.env, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=err)
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout=10)
            code, timed_out = -999, f"timed out after {timeout} s"
        else:
            timed_out = ""
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(args, code, out.read().decode(errors="replace"),
                                           timed_out + err.read().decode(errors="replace"))


def start_xvfb(machine: Machine) -> None:
    """Xvfb picks a free display itself (-displayfd) and reports it once it listens."""
    read_fd, write_fd = os.pipe()
    machine.xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24",
         "-nolisten", "tcp"],
        pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=open(machine.artifacts / "xvfb.log", "w"))
    os.close(write_fd)
    number = b""
    deadline = time.monotonic() + 20
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([read_fd], [], [], 0.5)
        if ready:
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
    os.close(read_fd)
    if not number.strip().isdigit():
        raise RuntimeError("Xvfb reported no display number")
    machine.env["DISPLAY"] = f":{number.strip().decode()}"
    deadline = time.monotonic() + 20
    while run(machine, ["xdpyinfo"], timeout=5).returncode != 0:
        if time.monotonic() > deadline or machine.xvfb.poll() is not None:
            raise RuntimeError(f"Xvfb on {machine.env['DISPLAY']} does not answer")
        time.sleep(0.2)
    print(f"Xvfb on {machine.env['DISPLAY']}", flush=True)


def make_private_prefix(machine: Machine, shared: Path) -> None:
    """A private copy of the Wine prefix, so that this run has a wineserver of its own: runs
    sharing one would share window activation across their displays and end each other's
    programs. The registry files are copied (Wine rewrites them in place); drive_c, large and
    only read, is hard-linked. The same scheme as scripts/lib.sh, copies of dead runs included."""
    for stale in shared.parent.glob(f"{shared.name}.run-*"):
        try:
            os.kill(int(stale.name.rsplit("-", 1)[1]), 0)
        except (ValueError, ProcessLookupError):
            shutil.rmtree(stale, ignore_errors=True)
        except PermissionError:
            pass
    clone = shared.with_name(f"{shared.name}.run-{os.getpid()}")
    shutil.rmtree(clone, ignore_errors=True)
    clone.mkdir(parents=True)
    machine.private_prefix = clone
    for item in shared.iterdir():
        if item.name == "drive_c":
            done = run(machine, ["cp", "-al", str(item), str(clone)], timeout=120)
            if done.returncode != 0:
                raise RuntimeError(f"could not link {item} into {clone}: {done.stderr.strip()}")
        elif item.name == "wineserver":
            continue
        elif item.is_dir() and not item.is_symlink():
            shutil.copytree(item, clone / item.name, symlinks=True)
        else:
            shutil.copy2(item, clone / item.name, follow_symlinks=False)
    machine.env["TERRITORY_WINEPREFIX"] = machine.env["WINEPREFIX"] = str(clone)


def start_wineserver(machine: Machine) -> None:
    """One persistent wineserver for the whole run makes each Wine start cheap."""
    make_private_prefix(machine, Path(machine.env["WINEPREFIX"]))
    server = subprocess.Popen(["wineserver", "-f", "-p"], env=machine.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    if server.poll() is not None:
        raise RuntimeError(f"wineserver did not start for {machine.env['WINEPREFIX']}")
    machine.wineserver = server
    warm = run(machine, [str(WINE_RUN), "cmd", "/c", "exit"], timeout=120)
    if warm.returncode != 0:
        raise RuntimeError(f"Wine does not start: {warm.returncode} {warm.stderr.strip()}")


def stop_machine(machine: Machine) -> None:
    if machine.wineserver is not None:
        run(machine, ["wineserver", "-k"], timeout=30)
        try:
            machine.wineserver.wait(timeout=15)
        except subprocess.TimeoutExpired:
            machine.wineserver.kill()
            machine.wineserver.wait(timeout=5)
        machine.wineserver = None
    if machine.xvfb is not None:
        machine.xvfb.terminate()
        try:
            machine.xvfb.wait(timeout=10)
        except subprocess.TimeoutExpired:
            machine.xvfb.kill()
            machine.xvfb.wait(timeout=5)
        machine.xvfb = None
    if machine.private_prefix is not None:
        shutil.rmtree(machine.private_prefix, ignore_errors=True)
        machine.private_prefix = None


def driver(session: Session, *args: str, timeout: float = CALL_TIMEOUT) -> tuple[int, str]:
    done = run(session.machine, [str(WINE_RUN), str(session.machine.driver), *args], timeout=timeout)
    return done.returncode, done.stdout.replace("\r", "").strip()


def xdotool(session: Session, *args: str) -> None:
    done = run(session.machine, ["xdotool", *args])
    if done.returncode != 0:
        raise Abort(f"xdotool {' '.join(args)} failed: {done.stderr.strip()}")


def gbk(text: str) -> bytes:
    return text.encode("gbk")


def shown(raw: bytes) -> str:
    return repr(raw.decode("gbk", errors="replace"))


def control_text(session: Session, name: str) -> bytes:
    code, out = driver(session, "text", str(child_id(name)))
    if code != 0:
        raise Abort(f"driver text {name} failed with {code}")
    return bytes.fromhex(out)


def set_control_text(session: Session, name: str, raw: bytes) -> None:
    code, _ = driver(session, "set-text", str(child_id(name)), raw.hex())
    if code != 0:
        raise Abort(f"driver set-text {name} failed with {code}")


def wait_for_text(session: Session, name: str, accept: Callable[[bytes], bool]) -> bytes:
    """Input reaches the program asynchronously: poll until the control's text is accepted or
    the time is up, and return the last text read."""
    deadline = time.monotonic() + SETTLE_TIMEOUT
    while True:
        raw = control_text(session, name)
        if accept(raw) or time.monotonic() > deadline:
            return raw
        time.sleep(0.1)


def fetch_layout(session: Session) -> dict:
    code, out = driver(session, "layout")
    if code != 0:
        raise Abort(f"driver layout failed with {code}")
    session.layout = json.loads(out)
    return session.layout


def screen_centre(session: Session, name: str) -> tuple[int, int]:
    layout = session.layout or fetch_layout(session)
    for control in layout["controls"]:
        if control["id"] == child_id(name):
            return control["centre"]["x"], control["centre"]["y"]
    raise Abort(f"{name} (id {child_id(name)}) is not in the window")


def click(session: Session, name: str) -> None:
    x, y = screen_centre(session, name)
    xdotool(session, "mousemove", str(x), str(y), "click", "1")


def press(session: Session, *keys: str) -> None:
    """Real key presses to the focused window, such as "Tab", "shift+Tab", "Escape", "Right"."""
    xdotool(session, "key", "--delay", "50", *keys)


def focused(session: Session) -> int:
    """The child id of the control with the keyboard focus: 0 the window, -1 none."""
    code, out = driver(session, "focus")
    if code != 0:
        raise Abort(f"driver focus failed with {code}")
    return int(out)


def checked(session: Session, name: str) -> int:
    code, out = driver(session, "check", str(child_id(name)))
    if code != 0:
        raise Abort(f"driver check {name} failed with {code}")
    return int(out)


def clipboard_bytes(session: Session) -> bytes | None:
    """The CF_TEXT bytes on the Windows clipboard, or None when it holds no text."""
    code, out = driver(session, "clipboard")
    if code == 5:
        return None
    if code != 0:
        raise Abort(f"driver clipboard failed with {code}")
    return bytes.fromhex(out)


def windows_path(path: Path) -> str:
    """The path as the driver sees it: Wine's drive Z: is the Unix root."""
    return "Z:" + str(path.resolve()).replace("/", "\\")


def data_file(session: Session, label: str) -> Path:
    """A file for bytes passed to or from the driver: long texts do not fit on a command line."""
    directory = session.machine.artifacts / "data"
    directory.mkdir(parents=True, exist_ok=True)
    return directory / f"{session.scenario}-{label}.bin"


def set_control_text_file(session: Session, name: str, raw: bytes) -> None:
    """WM_SETTEXT with text of any length. No answer within the driver's patience is not a
    failure: the program is still busy with the text, and the next read waits for it."""
    path = data_file(session, f"set-{child_id(name)}")
    path.write_bytes(raw)
    code, _ = driver(session, "set-text-file", str(child_id(name)), windows_path(path))
    if code not in (0, DRIVER_NO_ANSWER):
        raise Abort(f"driver set-text-file {name} failed with {code}")


def control_text_file(session: Session, name: str) -> bytes | None:
    """The control's text of any length, or None while the program is too busy to answer."""
    path = data_file(session, f"text-{child_id(name)}")
    code, out = driver(session, "text-file", str(child_id(name)), windows_path(path))
    if code == DRIVER_NO_ANSWER:
        return None
    if code != 0:
        raise Abort(f"driver text-file {name} failed with {code}")
    raw = path.read_bytes()
    if len(raw) != int(out):
        raise Abort(f"driver text-file {name}: {len(raw)} bytes in the file, {out} reported")
    return raw


def wait_for_long_text(session: Session, name: str, accept: Callable[[bytes], bool]) -> bytes | None:
    """As wait_for_text, for texts that the program may take long to take in."""
    deadline = time.monotonic() + LONG_TIMEOUT
    last = None
    while True:
        raw = control_text_file(session, name)
        if raw is not None:
            last = raw
            if accept(raw):
                return raw
        if time.monotonic() > deadline:
            return last
        time.sleep(0.2)


def set_clipboard(session: Session, raw: bytes) -> None:
    """Puts known text on the clipboard from another process, so that a copy shows by replacing it."""
    path = data_file(session, "clipboard-in")
    path.write_bytes(raw)
    code, _ = driver(session, "set-clipboard-file", windows_path(path))
    if code != 0:
        raise Abort(f"driver set-clipboard-file failed with {code}")


def clipboard_file_bytes(session: Session) -> bytes | None:
    """As clipboard_bytes, for clipboard texts of any length."""
    path = data_file(session, "clipboard-out")
    code, out = driver(session, "clipboard-file", windows_path(path))
    if code == DRIVER_NO_CLIPBOARD_TEXT:
        return None
    if code != 0:
        raise Abort(f"driver clipboard-file failed with {code}")
    raw = path.read_bytes()
    if len(raw) != int(out):
        raise Abort(f"driver clipboard-file: {len(raw)} bytes in the file, {out} reported")
    return raw


def wait_for_clipboard(session: Session, accept: Callable[[bytes | None], bool],
                       read: Callable[[Session], bytes | None] = clipboard_bytes) -> bytes | None:
    deadline = time.monotonic() + SETTLE_TIMEOUT
    while True:
        raw = read(session)
        if accept(raw) or time.monotonic() > deadline:
            return raw
        time.sleep(0.1)


def x_clipboard(session: Session) -> bytes | None:
    """The X CLIPBOARD selection as another X client reads it (UTF-8), or None when unreadable."""
    done = run(session.machine, ["xclip", "-o", "-selection", "clipboard"], timeout=10)
    return done.stdout.encode() if done.returncode == 0 else None


def wait_for_focus(session: Session, want: int) -> int:
    deadline = time.monotonic() + SETTLE_TIMEOUT
    while True:
        got = focused(session)
        if got == want or time.monotonic() > deadline:
            return got
        time.sleep(0.05)


def check_states(session: Session, names: list[str]) -> tuple[int, ...]:
    return tuple(checked(session, name) for name in names)


def wait_for_checks(session: Session, names: list[str], want: tuple[int, ...]) -> tuple[int, ...]:
    deadline = time.monotonic() + SETTLE_TIMEOUT
    while True:
        got = check_states(session, names)
        if got == want or time.monotonic() > deadline:
            return got
        time.sleep(0.05)


def window_present(session: Session) -> bool:
    code, _ = driver(session, "wait-window", "0")
    return code == 0 and session.program.poll() is None


def difference(got: bytes | None, want: bytes) -> str:
    """Where two long texts part, for a failure message that does not print them."""
    if got is None:
        return "no text"
    at = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
    return (f"{len(got)} bytes, want {len(want)}; first difference at byte {at}: "
            f"{got[at:at + 24]!r} where {want[at:at + 24]!r} belongs")


def start_program(session: Session) -> None:
    machine = session.machine
    session.log_path = machine.artifacts / f"program-{session.scenario}.log"
    session.program = subprocess.Popen([str(WINE_RUN), str(machine.exe)], env=machine.env,
                                       stdin=subprocess.DEVNULL, stdout=open(session.log_path, "w"),
                                       stderr=subprocess.STDOUT)
    code, _ = driver(session, "wait-window", str(START_TIMEOUT * 1000), timeout=START_TIMEOUT + 10)
    if code != 0:
        exited = session.program.poll()
        raise Abort(f"no visible window titled {TITLE} within {START_TIMEOUT} s"
                    + (f" (the program exited with {exited})" if exited is not None else ""))


def stop_program(session: Session) -> None:
    if session.program is not None and session.program.poll() is None:
        session.program.kill()
        session.program.wait(timeout=10)


def screenshot(session: Session, label: str) -> None:
    path = session.machine.artifacts / f"{session.scenario}-{label}.png"
    run(session.machine, ["import", "-window", "root", str(path)], timeout=30)
    print(f"  screenshot: {path}", flush=True)


# --- steps -----------------------------------------------------------------------------------


def check_window_rect(session: Session) -> None:
    window = fetch_layout(session)["window"]
    expected = {"left": (SCREEN_WIDTH - WINDOW_WIDTH) // 2, "top": (SCREEN_HEIGHT - WINDOW_HEIGHT) // 2,
                "width": WINDOW_WIDTH, "height": WINDOW_HEIGHT}
    session.results.expect("window: outer rectangle 609x369 centred at 207,199", window == expected,
                           f"got {window}, want {expected}")


def check_controls(session: Session) -> None:
    """Each control: class, containing frame, style kind, caption, rectangle."""
    layout = session.layout or fetch_layout(session)
    by_id = {}
    for control in layout["controls"]:
        by_id.setdefault(control["id"], []).append(control)
    expected_ids = {child_id(c.name) for c in CONTROLS}
    strays = sorted(set(by_id) - expected_ids)
    duplicates = sorted(i for i, found in by_id.items() if len(found) > 1)
    session.results.expect(f"window: exactly {len(CONTROLS)} controls, one per child id",
                           not strays and not duplicates and len(layout["controls"]) == len(CONTROLS),
                           f"{len(layout['controls'])} controls, ids not in the form: {strays}, "
                           f"ids used twice: {duplicates}")
    for want in CONTROLS:
        found = by_id.get(child_id(want.name))
        case = f"control {want.name} (id {child_id(want.name)})"
        if not found:
            session.results.expect(case, False, "missing")
            continue
        got = found[0]
        problems = []
        if got["class"] != KIND_CLASS[want.kind]:
            problems.append(f"class {got['class']!r}, want {KIND_CLASS[want.kind]!r}")
        want_parent = child_id(want.parent) if want.parent else 0
        if got["parent"] != want_parent:
            problems.append(f"parent id {got['parent']}, want {want_parent} ({want.parent or 'the window'})")
        rect = got["rect"]
        want_rect = {"left": want.left, "top": want.top, "width": want.width, "height": want.height}
        if rect != want_rect:
            problems.append(f"rect {rect}, want {want_rect}")
        caption = bytes.fromhex(got["text"])
        if want.caption is None:
            if not caption or b"\r" in caption or b"\n" in caption:
                problems.append(f"caption {shown(caption)}, want a non-empty single line")
        elif caption != gbk(want.caption):
            problems.append(f"caption {shown(caption)}, want {want.caption!r}")
        style = got["style"]
        if style & (WS_CHILD | WS_VISIBLE) != WS_CHILD | WS_VISIBLE or not got["visible"]:
            problems.append(f"style {style:#010x}: not a visible child")
        if want.kind in KIND_BUTTON_TYPE and style & BS_TYPEMASK != KIND_BUTTON_TYPE[want.kind]:
            problems.append(f"button type {style & BS_TYPEMASK:#x}, want {KIND_BUTTON_TYPE[want.kind]:#x}")
        # The system moves WS_TABSTOP of automatic radio buttons to the checked one.
        if want.kind != "RadioBox" and bool(style & WS_TABSTOP) != (want.kind in TAB_STOP_KINDS):
            problems.append(f"style {style:#010x}: tab stop {'missing' if want.kind in TAB_STOP_KINDS else 'unexpected'}")
        if want.kind == "EditBox" and bool(style & ES_MULTILINE) != (want.name in MULTI_LINE_EDITS):
            problems.append(f"style {style:#010x}: multi-line {'missing' if want.name in MULTI_LINE_EDITS else 'unexpected'}")
        if not got["enabled"]:
            problems.append("disabled")
        session.results.expect(case, not problems, "; ".join(problems))


def check_first_focus(session: Session) -> None:
    got = focused(session)
    session.results.expect(f"focus: {OUTPUT_FIELD} has the keyboard focus when the window opens",
                           got == child_id(OUTPUT_FIELD),
                           f"focused child id {got}, want {child_id(OUTPUT_FIELD)}")


def type_into(session: Session, name: str, text: str) -> None:
    """A real click into the field, then real key presses."""
    click(session, name)
    xdotool(session, "type", "--delay", "50", text)
    raw = wait_for_text(session, name, lambda got: got == gbk(text))
    session.results.expect(f"typing: {text!r} typed into {name}", raw == gbk(text),
                           f"the field holds {shown(raw)}")


def type_inputs(session: Session) -> None:
    type_into(session, TERRITORY_FIELD, "home")
    type_into(session, PLAYER_FIELD, "guest")


def check_commands(session: Session) -> None:
    """Each command button, clicked for real, writes exactly its command into the output field.
    The field is emptied first, so every command must have been written by its own click."""
    territory = control_text(session, TERRITORY_FIELD).decode("gbk")
    player = control_text(session, PLAYER_FIELD).decode("gbk")
    for button, shape in COMMANDS.items():
        want = gbk(shape.format(t=territory, p=player))
        set_control_text(session, OUTPUT_FIELD, b"")
        click(session, button)
        got = wait_for_text(session, OUTPUT_FIELD, lambda raw: raw != b"")
        session.results.expect(f"command: {button} writes {want.decode()!r}", got == want,
                               f"{OUTPUT_FIELD} holds {shown(got)}")


def finish(session: Session, expected_code: int) -> None:
    """The program has been asked to end: it must exit by itself with this code."""
    try:
        code = session.program.wait(timeout=START_TIMEOUT)
    except subprocess.TimeoutExpired:
        session.results.expect(f"exit: the program ends with code {expected_code}", False,
                               f"still running {START_TIMEOUT} s later")
        return
    session.results.expect(f"exit: the program ends with code {expected_code}", code == expected_code,
                           f"exit code {code}")


def close_by_driver(session: Session) -> None:
    code, _ = driver(session, "close")
    if code != 0:
        raise Abort(f"driver close failed with {code}")
    finish(session, 0)


def close_by_title_bar(session: Session) -> None:
    """A real click on the close button at the right end of the title bar."""
    layout = fetch_layout(session)
    window, client = layout["window"], layout["client"]
    border = client["left"] - window["left"]
    caption = client["top"] - window["top"] - border
    x = window["left"] + window["width"] - border - caption // 2 - 1
    y = window["top"] + border + caption // 2
    xdotool(session, "mousemove", str(x), str(y), "click", "1")
    finish(session, 0)


# --- scenario steps: the message command -----------------------------------------------------


def press_command(session: Session, button: str) -> bytes:
    """Empties the output field, clicks the button for real and returns what it wrote, so that
    the text read can only have come from this click."""
    set_control_text(session, OUTPUT_FIELD, b"")
    click(session, button)
    return wait_for_text(session, OUTPUT_FIELD, lambda raw: raw != b"")


def type_message_inputs(session: Session) -> None:
    type_into(session, TERRITORY_FIELD, "home")
    type_into(session, MESSAGE_FIELD, "welcome")


OPTION_CONTROLS = [ENTER_RADIO, LEAVE_RADIO, REMOVE_CHECK]

# The option controls walked through by real clicks: the control clicked (None: the states as
# the window opens), the check states of 加入, 离开 and 移除消息 that follow, and the command
# that 生成 then writes from the territory home and the message welcome.
MESSAGE_ROWS = [
    (None, (1, 0, 0), "/res message home enter welcome"),
    (LEAVE_RADIO, (0, 1, 0), "/res message home leave welcome"),
    (REMOVE_CHECK, (0, 1, 1), "/res message home remove leave"),
    (ENTER_RADIO, (1, 0, 1), "/res message home remove enter"),
    (REMOVE_CHECK, (1, 0, 0), "/res message home enter welcome"),
    (ENTER_RADIO, (1, 0, 0), "/res message home enter welcome"),  # a checked radio stays checked
]


def check_message_rows(session: Session) -> None:
    for clicked, states, command in MESSAGE_ROWS:
        before = control_text(session, OUTPUT_FIELD)
        if clicked is not None:
            click(session, clicked)
        got_states = wait_for_checks(session, OPTION_CONTROLS, states)
        # The check state is read after the click has been handled: had the click run a
        # handler, the output field would show it by now.
        after = control_text(session, OUTPUT_FIELD)
        moment = "as the window opens" if clicked is None else f"after a click on {clicked}"
        session.results.expect(
            f"message: {moment}, 加入/离开/移除消息 are {states} and {OUTPUT_FIELD} is unchanged",
            got_states == states and after == before,
            f"states {got_states}, {OUTPUT_FIELD} went from {shown(before)} to {shown(after)}")
        got = press_command(session, GENERATE_BUTTON)
        session.results.expect(f"message: 生成 with {states} writes {command!r}", got == gbk(command),
                               f"{OUTPUT_FIELD} holds {shown(got)}")


def check_multi_line_message(session: Session) -> None:
    """Enter in the multi-line message field makes a line break, which reaches the command."""
    set_control_text(session, MESSAGE_FIELD, b"")
    click(session, MESSAGE_FIELD)
    xdotool(session, "type", "--delay", "50", "line one")
    press(session, "Return")
    xdotool(session, "type", "--delay", "50", "line two")
    want = b"line one\r\nline two"
    raw = wait_for_text(session, MESSAGE_FIELD, lambda got: got == want)
    session.results.expect(f"typing: 'line one', Return, 'line two' make two lines in {MESSAGE_FIELD}",
                           raw == want, f"the field holds {raw!r}")
    states = check_states(session, OPTION_CONTROLS)
    got = press_command(session, GENERATE_BUTTON)
    want_command = b"/res message home enter line one\r\nline two"
    session.results.expect(f"message: 生成 with {states} writes the message with its CR LF",
                           got == want_command, f"{OUTPUT_FIELD} holds {got!r}")


# --- scenario steps: copying -----------------------------------------------------------------

# The last character's second GBK byte is 0x5C, a backslash in ASCII: it must pass as it is.
COPY_TERRITORY = "家园塡"
COPY_MESSAGE = "欢迎光临\r\nsee you"
COPY_COMMAND = f"/res message {COPY_TERRITORY} enter {COPY_MESSAGE}"
CLIPBOARD_MARKER = b"clipboard before the copy"
HOLD_MS = 8000


def compose_chinese_message(session: Session) -> None:
    """Chinese by WM_SETTEXT (xdotool cannot type it), the line break by a real Return key."""
    set_control_text(session, TERRITORY_FIELD, gbk(COPY_TERRITORY))
    first_line = COPY_MESSAGE.split("\r\n")[0]
    set_control_text(session, MESSAGE_FIELD, gbk(first_line))
    click(session, MESSAGE_FIELD)
    press(session, "ctrl+End", "Return")
    xdotool(session, "type", "--delay", "50", COPY_MESSAGE.split("\r\n")[1])
    raw = wait_for_text(session, MESSAGE_FIELD, lambda got: got == gbk(COPY_MESSAGE))
    session.results.expect(f"typing: Return and 'see you' after Chinese text in {MESSAGE_FIELD}",
                           raw == gbk(COPY_MESSAGE), f"the field holds {shown(raw)}")
    got = press_command(session, GENERATE_BUTTON)
    session.results.expect(f"message: 生成 writes {COPY_COMMAND!r}", got == gbk(COPY_COMMAND),
                           f"{OUTPUT_FIELD} holds {shown(got)}")


def check_copy(session: Session) -> None:
    """A real click on 复制; the clipboard read from other processes, Windows and X."""
    want = gbk(COPY_COMMAND)
    set_clipboard(session, CLIPBOARD_MARKER)
    click(session, COPY_BUTTON)
    got = wait_for_clipboard(session, lambda raw: raw != CLIPBOARD_MARKER)
    session.results.expect("copy: 复制 puts exactly the GBK bytes of the command, CR LF included, "
                           "on the clipboard as CF_TEXT", got == want,
                           f"the clipboard holds {got!r}, want {want!r}")
    want_x = COPY_COMMAND.replace("\r\n", "\n").encode("utf-8")
    deadline = time.monotonic() + SETTLE_TIMEOUT
    while (got_x := x_clipboard(session)) != want_x and time.monotonic() < deadline:
        time.sleep(0.1)
    session.results.expect("copy: another X client reads the command as UTF-8 from the CLIPBOARD "
                           "selection", got_x == want_x, f"xclip gives {got_x!r}, want {want_x!r}")


def start_clipboard_holder(session: Session, ms: int) -> tuple[subprocess.Popen, Path]:
    """Another program that opens the clipboard and keeps it open for `ms` milliseconds."""
    log_path = session.machine.artifacts / f"holder-{session.scenario}.log"
    holder = subprocess.Popen([str(WINE_RUN), str(session.machine.driver), "hold-clipboard", str(ms)],
                              env=session.machine.env, stdin=subprocess.DEVNULL,
                              stdout=open(log_path, "w"), stderr=subprocess.STDOUT)
    deadline = time.monotonic() + CALL_TIMEOUT
    while "held" not in log_path.read_text(errors="replace"):
        if holder.poll() is not None or time.monotonic() > deadline:
            stop_process(holder)
            raise Abort(f"the clipboard holder did not report holding it: "
                        f"{log_path.read_text(errors='replace')!r}")
        time.sleep(0.05)
    return holder, log_path


def stop_process(process: subprocess.Popen, timeout: float = 0) -> int:
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        return process.wait(timeout=10)


def check_busy_clipboard(session: Session) -> None:
    """While another program holds the clipboard open, 复制 changes nothing and the program
    goes on; once it is released, 复制 copies again."""
    previous = gbk(COPY_COMMAND)
    remove_command = gbk(f"/res remove {COPY_TERRITORY}")
    create_command = gbk(f"/res create {COPY_TERRITORY}")
    holder, log_path = start_clipboard_holder(session, HOLD_MS)
    try:
        got = press_command(session, "删除领地")
        session.results.expect("copy: with the clipboard held, 删除领地 still writes its command",
                               got == remove_command, f"{OUTPUT_FIELD} holds {shown(got)}")
        click(session, COPY_BUTTON)
        # X input is handled in order: once the next click's command shows, the click on 复制
        # has been handled too.
        got = press_command(session, "创建领地")
        held = holder.poll() is None and "released" not in log_path.read_text(errors="replace")
        session.results.expect("copy: after 复制 on a held clipboard the program still answers "
                               "clicks (创建领地 writes its command) while the clipboard is held",
                               got == create_command and held,
                               f"{OUTPUT_FIELD} holds {shown(got)}; "
                               f"holder {'still holds' if held else 'had already released'} it")
        session.results.expect("copy: the program and its window are still there",
                               window_present(session), "no visible window or the process ended")
    finally:
        code = stop_process(holder, timeout=HOLD_MS / 1000 + CALL_TIMEOUT)
    released = "released" in log_path.read_text(errors="replace")
    session.results.expect("copy: the holder kept the clipboard and released it", code == 0 and released,
                           f"exit code {code}, output {log_path.read_text(errors='replace')!r}")
    got = clipboard_bytes(session)
    session.results.expect("copy: 复制 on a held clipboard left the previous text there", got == previous,
                           f"the clipboard holds {got!r}, want {previous!r}")
    click(session, COPY_BUTTON)
    got = wait_for_clipboard(session, lambda raw: raw != previous)
    session.results.expect("copy: after the release 复制 copies the current command",
                           got == create_command, f"the clipboard holds {got!r}, want {create_command!r}")


# --- scenario steps: keyboard ----------------------------------------------------------------


def walk_ring(session: Session, key: str, order: list[str]) -> None:
    """Presses the key once per name and checks that the focus reaches each in turn; stops at
    the first miss, since every later step would start from the wrong place."""
    here = FOCUS_RING[0]
    for target in order:
        press(session, key)
        got = wait_for_focus(session, child_id(target))
        ok = session.results.expect(f"keyboard: {key} from {here} moves the focus to {target} "
                                    f"(id {child_id(target)})", got == child_id(target),
                                    f"focused child id {got}")
        if not ok:
            return
        here = target


def check_tab_ring(session: Session) -> None:
    """The whole ring by real Tab presses from 复制1 and back to it, then by Shift+Tab."""
    click(session, OUTPUT_FIELD)  # the X input focus; the keyboard focus stays where it is
    got = wait_for_focus(session, child_id(OUTPUT_FIELD))
    if got != child_id(OUTPUT_FIELD):
        raise Abort(f"a click into {OUTPUT_FIELD} left the focus on child id {got}")
    walk_ring(session, "Tab", FOCUS_RING[1:] + FOCUS_RING[:1])
    if focused(session) == child_id(FOCUS_RING[0]):
        walk_ring(session, "shift+Tab", FOCUS_RING[::-1])


# Arrow keys on the focused radio button: the key and the radio button that must then be
# checked and focused, each row starting where the one before ended.
ARROW_ROWS = [("Right", LEAVE_RADIO), ("Right", ENTER_RADIO), ("Down", LEAVE_RADIO),
              ("Down", ENTER_RADIO), ("Left", LEAVE_RADIO), ("Up", ENTER_RADIO), ("Up", LEAVE_RADIO)]


def check_radio_arrows(session: Session) -> None:
    got = focused(session)
    if got != child_id(OUTPUT_FIELD):
        raise Abort(f"the focus should be back on {OUTPUT_FIELD}, is on child id {got}")
    press(session, *["Tab"] * FOCUS_RING.index(ENTER_RADIO))
    got = wait_for_focus(session, child_id(ENTER_RADIO))
    if not session.results.expect(f"keyboard: Tab reaches {ENTER_RADIO}", got == child_id(ENTER_RADIO),
                                  f"focused child id {got}"):
        return
    output = control_text(session, OUTPUT_FIELD)
    here = ENTER_RADIO
    for key, target in ARROW_ROWS:
        other = LEAVE_RADIO if target == ENTER_RADIO else ENTER_RADIO
        press(session, key)
        want = (1, 0) if target == ENTER_RADIO else (0, 1)
        states = wait_for_checks(session, [ENTER_RADIO, LEAVE_RADIO], want)
        got = wait_for_focus(session, child_id(target))
        after = control_text(session, OUTPUT_FIELD)
        session.results.expect(f"keyboard: {key} on {here} checks and focuses {target}, unchecks {other}",
                               states == want and got == child_id(target) and after == output,
                               f"加入/离开 {states}, focused child id {got}, "
                               f"{OUTPUT_FIELD} {shown(output)} -> {shown(after)}")
        here = target
    # Tab stops on both radio buttons whichever is checked, and moving does not check.
    press(session, "shift+Tab")
    got = wait_for_focus(session, child_id(ENTER_RADIO))
    states = check_states(session, [ENTER_RADIO, LEAVE_RADIO])
    session.results.expect(f"keyboard: Shift+Tab from the checked {LEAVE_RADIO} focuses {ENTER_RADIO} "
                           "and leaves the checks", got == child_id(ENTER_RADIO) and states == (0, 1),
                           f"focused child id {got}, 加入/离开 {states}")


def check_enter_in_single_line_fields(session: Session) -> None:
    """Enter in a single-line field clicks nothing, adds nothing and keeps the focus."""
    for field in (TERRITORY_FIELD, PLAYER_FIELD):
        set_control_text(session, field, b"")
        click(session, field)
        output = control_text(session, OUTPUT_FIELD)
        xdotool(session, "type", "--delay", "50", "ab")
        press(session, "Return")
        # A letter typed after Enter shows when Enter has been handled.
        xdotool(session, "type", "--delay", "50", "c")
        raw = wait_for_text(session, field, lambda got: got == b"abc")
        after = control_text(session, OUTPUT_FIELD)
        got = focused(session)
        session.results.expect(f"keyboard: Enter in {field} does nothing", raw == b"abc" and
                               after == output and got == child_id(field),
                               f"{field} holds {raw!r}, {OUTPUT_FIELD} {shown(output)} -> "
                               f"{shown(after)}, focused child id {got}")


def close_by_escape(session: Session) -> None:
    """Esc with the focus in an edit field closes the window and ends the program."""
    got = focused(session)
    if got != child_id(PLAYER_FIELD):
        raise Abort(f"the focus should be in {PLAYER_FIELD}, is on child id {got}")
    press(session, "Escape")
    finish(session, 0)


# --- scenario steps: long and odd input -------------------------------------------------------

EDIT_FIELDS = [TERRITORY_FIELD, PLAYER_FIELD, MESSAGE_FIELD, OUTPUT_FIELD]
# The longest text a single-line edit field takes when its limit is set to the system's own
# (multi-line fields report -1, which reads as 0xFFFFFFFF).
SYSTEM_TEXT_LIMIT = 0x7FFFFFFE

# Territory names that must reach the command byte for byte.
ODD_TERRITORIES = [
    ("only spaces", "   "),
    ("GBK Chinese", "家园一号塡"),
    ("a tab", "a\tb"),
    ("ASCII punctuation", "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"),
]


def check_text_limits(session: Session) -> None:
    for field in EDIT_FIELDS:
        code, out = driver(session, "limit", str(child_id(field)))
        session.results.expect(f"long: {field} has the system's own text limit",
                               code == 0 and int(out) >= SYSTEM_TEXT_LIMIT,
                               f"driver exit {code}, EM_GETLIMITTEXT {out}")


def check_odd_territories(session: Session) -> None:
    for label, name in ODD_TERRITORIES:
        set_control_text(session, TERRITORY_FIELD, gbk(name))
        field = control_text(session, TERRITORY_FIELD)
        got = press_command(session, "创建领地")
        want = gbk(f"/res create {name}")
        session.results.expect(f"odd input: a territory name of {label} passes into /res create unchanged",
                               got == want, f"{TERRITORY_FIELD} holds {field!r}, "
                               f"{OUTPUT_FIELD} {got!r}, want {want!r}")


def long_words(rng: random.Random, size: int) -> bytes:
    """Lower-case letters with a space now and then. Wine's multi-line EDIT re-wraps a long line
    in time that grows with the square of its length, and many times more slowly for digits,
    punctuation or short words: these keep a 200,000-byte output line at seconds, not minutes."""
    return "".join(" " if rng.random() < 1 / 27 else rng.choice("abcdefghijklmnopqrstuvwxyz")
                   for _ in range(size)).encode()


def long_message(rng: random.Random, size: int) -> bytes:
    """Exactly `size` bytes of lines up to 150 bytes long, empty ones among them, joined by CR LF."""
    lines, total = [], 0
    while total < size:
        line = long_words(rng, rng.randint(0, 150))
        lines.append(line)
        total += len(line) + 2
    text = b"\r\n".join(lines)[:size]
    return text.rstrip(b"\r\n").ljust(size, b"x")


def check_long_inputs(session: Session) -> None:
    rng = random.Random(5_2010_001)  # fixed, so that a failure can be replayed
    territory, player = long_words(rng, 100_000), long_words(rng, 100_000)
    message = long_message(rng, 60_000)

    # The territory name pasted with a real Ctrl+V: the edit field's text limit holds for the
    # user's input, not for WM_SETTEXT.
    set_clipboard(session, territory)
    set_control_text(session, TERRITORY_FIELD, b"")
    click(session, TERRITORY_FIELD)
    press(session, "ctrl+v")
    got = wait_for_long_text(session, TERRITORY_FIELD, lambda raw: raw != b"")
    session.results.expect(f"long: a 100,000-character territory name pasted by Ctrl+V arrives whole "
                           f"in {TERRITORY_FIELD}", got == territory, difference(got, territory))
    set_control_text_file(session, PLAYER_FIELD, player)
    got = wait_for_long_text(session, PLAYER_FIELD, lambda raw: raw != b"")
    session.results.expect(f"long: a 100,000-character player name set into {PLAYER_FIELD} stays whole",
                           got == player, difference(got, player))

    want = b"/res give " + territory + b" " + player
    set_control_text(session, OUTPUT_FIELD, b"")
    click(session, "给予玩家领地")
    got = wait_for_long_text(session, OUTPUT_FIELD, lambda raw: raw != b"")
    session.results.expect(f"long: 给予玩家领地 writes /res give with both long names "
                           f"({len(want)} bytes)", got == want, difference(got, want))

    set_control_text_file(session, MESSAGE_FIELD, message)
    got = wait_for_long_text(session, MESSAGE_FIELD, lambda raw: raw != b"")
    lines = message.count(b"\r\n") + 1
    session.results.expect(f"long: a message of {len(message)} bytes in {lines} lines set into "
                           f"{MESSAGE_FIELD} stays whole", got == message,
                           difference(got, message))
    states = check_states(session, OPTION_CONTROLS)
    want = b"/res message " + territory + b" enter " + message
    set_control_text(session, OUTPUT_FIELD, b"")
    click(session, GENERATE_BUTTON)
    got = wait_for_long_text(session, OUTPUT_FIELD, lambda raw: raw != b"")
    session.results.expect(f"long: 生成 with {states} writes the message command ({len(want)} bytes)",
                           got == want, difference(got, want))

    set_clipboard(session, CLIPBOARD_MARKER)
    click(session, COPY_BUTTON)
    got = wait_for_clipboard(session, lambda raw: raw != CLIPBOARD_MARKER, read=clipboard_file_bytes)
    session.results.expect(f"long: 复制 puts the whole {len(want)}-byte command on the clipboard",
                           got == want, difference(got, want))


Step = Callable[[Session], None]

# Each scenario starts the program afresh; its last step ends it.
SCENARIOS: list[tuple[str, list[Step]]] = [
    ("commands", [check_window_rect, check_controls, check_first_focus, type_inputs, check_commands,
                  close_by_driver]),
    ("title-bar-close", [close_by_title_bar]),
    ("message", [type_message_inputs, check_message_rows, check_multi_line_message, close_by_driver]),
    ("copy", [compose_chinese_message, check_copy, check_busy_clipboard, close_by_driver]),
    ("keyboard", [check_first_focus, check_tab_ring, check_radio_arrows,
                  check_enter_in_single_line_fields, close_by_escape]),
    ("long-input", [check_text_limits, check_odd_territories, check_long_inputs, close_by_driver]),
]


# --- running ---------------------------------------------------------------------------------


def run_scenario(machine: Machine, results: Results, name: str, steps: list[Step]) -> None:
    print(f"scenario {name}", flush=True)
    session = Session(machine=machine, results=results, scenario=name)
    results.on_first_failure = lambda: screenshot(session, "failure")
    try:
        start_program(session)
        for step in steps:
            step(session)
    except Abort as abort:
        results.expect(f"scenario {name}", False, f"aborted: {abort}")
    finally:
        results.on_first_failure = None
        stop_program(session)
        if session.log_path and session.log_path.stat().st_size:
            print(f"  program output: {session.log_path}", flush=True)


def parse_args() -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", type=Path, default=ROOT / "build/i686/src/territory.exe")
    parser.add_argument("--driver", type=Path, default=ROOT / "build/i686/tests/e2e/e2e_driver.exe")
    parser.add_argument("--artifacts", type=Path, default=ROOT / "build/i686/e2e")
    parser.add_argument("--only", action="append", help="run only the scenario of this name")
    return parser.parse_args()


def on_alarm(signum, frame):
    raise TimeoutError(f"the end-to-end run took longer than {RUN_TIMEOUT} s")


def main() -> int:
    args = parse_args()
    for path in (args.exe, args.driver, WINE_RUN):
        if not path.is_file():
            print(f"e2e: {path} does not exist; build the i686 preset first", file=sys.stderr)
            print("e2e: 0 passed, 1 failed")
            return 1
    args.artifacts.mkdir(parents=True, exist_ok=True)
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env["WINEPREFIX"] = env.get("TERRITORY_WINEPREFIX", "/root/.wine-territory")
    env.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="zh_CN.UTF-8")
    machine = Machine(env=env, artifacts=args.artifacts, exe=args.exe.resolve(),
                      driver=args.driver.resolve())
    results = Results()
    signal.signal(signal.SIGALRM, on_alarm)
    signal.signal(signal.SIGTERM, on_alarm)
    signal.alarm(RUN_TIMEOUT)
    try:
        start_xvfb(machine)
        start_wineserver(machine)
        for name, steps in SCENARIOS:
            if not args.only or name in args.only:
                run_scenario(machine, results, name, steps)
    except (RuntimeError, TimeoutError, OSError) as error:
        results.expect("e2e machinery", False, str(error))
    finally:
        signal.alarm(0)
        stop_machine(machine)
    if results.failed:
        print("failures:")
        for failure in results.failed:
            print(f"  {failure}")
    print(f"e2e: {results.passed} passed, {len(results.failed)} failed")
    return 1 if results.failed else 0


if __name__ == "__main__":
    sys.exit(main())
