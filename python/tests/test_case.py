"""A case through the public interface: refusals, failures, titles, messages,
the stop of a long run by KeyboardInterrupt."""

import os
import signal
import threading

import pytest

import pelorin
from conftest import DATA, run_cli

EXAMPLE = DATA / "spacing-energy-pipe.inp"


def example(**changes):
    case = pelorin.Case.from_file(EXAMPLE)
    for name, value in changes.items():
        setattr(case, name, value)
    return case


@pytest.mark.parametrize("aim, method", [("spacing", "energy"), ("Spa", "Ene"), ("spa", "ENERGY")])
def test_aims_and_methods_by_word_or_code(aim, method):
    case = pelorin.Case(aim, method, **{q: getattr(example(), q) for q in pelorin.QUANTITIES})
    assert (case.aim, case.method, case.aim_code, case.method_code) == ("spacing", "energy", "Spa", "Ene")
    assert case.run(threads=1).spacing == 37.80


@pytest.mark.parametrize("changes", [
    {"Dw": 3.0},                 # the drain level below the layer and the drain bottom
    {"R": -0.007, "Kb1": 0.0},   # several conditions at once
])
def test_refused_case_gives_the_error_list_of_the_program(changes, tmp_path):
    case = example(**changes)
    case.write(tmp_path / "case.inp")
    cli = run_cli(["run", "case.inp"], tmp_path)
    assert cli.returncode == 1
    expected = (tmp_path / "Error.lst").read_bytes().decode("latin-1").split("\r\n")[:-1]
    assert case.check() == expected
    with pytest.raises(pelorin.Refused) as refused:
        case.run()
    assert refused.value.errors == expected


def test_accepted_case_checks_empty():
    assert example().check() == []


@pytest.mark.parametrize("case, message", [
    (pelorin.Case("discharge", "darcy", Dm=0.5, D1=1.5, D2=2.0, Dw=1.0, Db=2.0, S=20),
     "Floating point division by zero"),
    (pelorin.Case("depth", "darcy", R=0.007, D1=2.0, D2=4.0, Dw=1.6, Db=1.7, Ka=0.3, Kb1=0.5,
                  Kv1=0.25, Kb2=1.2, Kv2=0.6, S=1e12),
     "Range check error"),
])
def test_failed_run_raises_the_programs_message(case, message, tmp_path):
    case.write(tmp_path / "case.inp")
    cli = run_cli(["run", "case.inp"], tmp_path)
    assert cli.returncode == 2
    with pytest.raises(pelorin.RunFailed) as failed:
        case.run()
    assert not failed.value.cancelled
    assert failed.value.message in cli.stderr.decode("latin-1")
    assert failed.value.message == message


@pytest.mark.parametrize("title", ["Drains near Łódź", "Ἀθῆναι", "drains \u2014 dashed"])
def test_titles_outside_latin1_are_refused_naming_the_characters(title):
    with pytest.raises(ValueError) as refused:
        example(title1=title)
    outside = [ch for ch in title if ord(ch) > 0xFF]
    assert outside and all(f"U+{ord(ch):04X}" in str(refused.value) for ch in outside)


def test_latin1_titles_reach_the_report_and_the_file(tmp_path):
    case = example(title1="Drains à Liège", title2="Ærø, 5 °C")
    result = case.run(threads=1)
    assert "  Drains à Liège\r\n  Ærø, 5 °C\r\n" in result.report
    case.write(tmp_path / "t.inp")
    assert (tmp_path / "t.inp").read_bytes().startswith("Drains à Liège\r\nÆrø, 5 °C\r\n".encode("latin-1"))


def test_messages_of_a_run_are_kept(tmp_path):
    case = pelorin.Case.from_file(DATA / "spacing-darcy-short.inp")
    case.write(tmp_path / "short.inp")
    cli = run_cli(["run", "short.inp"], tmp_path)
    result = case.run()
    assert result.messages == [" Dw-Dm is less than 0.2. The drain spacing will be short."]
    assert all(message.strip() in cli.stderr.decode("latin-1") for message in result.messages)


@pytest.mark.parametrize("name, value, error", [
    ("R", "wet", TypeError), ("R", float("nan"), ValueError), ("aim", "width", ValueError),
    ("method", "guess", ValueError), ("title2", "two\nlines", ValueError),
])
def test_wrong_values_are_refused(name, value, error):
    with pytest.raises(error):
        example(**{name: value})


@pytest.mark.parametrize("threads", [0, 1025, 2.5])
def test_threads_as_the_command_line_takes_them(threads):
    with pytest.raises((ValueError, TypeError)):
        example().run(threads=threads)


def test_a_run_lets_other_python_threads_go_on():
    # Some seconds of marching on another thread; this one runs Python meanwhile.
    medium = pelorin.Case("depth", "energy", R=0.007, D1=2.0, D2=4.0, Dw=1.2, Db=1.3, E=0.5,
                          Ka=0.6, Kb1=0.8, Kv1=0.4, Kb2=2.0, Kv2=1.0, S=150)
    started, finished, results = threading.Event(), threading.Event(), []

    def work():
        started.set()
        results.append(medium.run(threads=1))
        finished.set()

    worker = threading.Thread(target=work)
    worker.start()
    started.wait()
    # Each look needs the interpreter lock: were it held by the run, this thread
    # would wake only when the run is over, and find it over at its next look.
    looks_while_running = 0
    while not finished.wait(0.01):
        looks_while_running += 1
    worker.join()
    assert looks_while_running >= 10
    assert results[0].depth == results[0].depth_energy


def test_keyboard_interrupt_ends_a_long_run_and_the_next_runs():
    # The midway depth by the energy balance for a spacing of 6 km: minutes of
    # marching on one thread.
    long_case = pelorin.Case("depth", "energy", R=0.007, D1=2.0, D2=4.0, Dw=1.2, Db=1.3, E=0.5,
                             Ka=0.6, Kb1=0.8, Kv1=0.4, Kb2=2.0, Kv2=1.0, S=6000)
    sent = threading.Timer(1.0, os.kill, (os.getpid(), signal.SIGINT))
    sent.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            long_case.run(threads=1)
    finally:
        sent.cancel()
    assert example().run(threads=2).report.encode("latin-1") == EXAMPLE.with_suffix(".out").read_bytes()


@pytest.mark.parametrize("text", [
    b"",
    b"Title\r\nTitle\r\nFile Name: x\r\nSpa Ene\r\n0.007 2.0 NaN 1.0\r\n",
    b"Title\r\nTitle\r\nFile Name: x\r\nXyz Ene\r\n0.007\r\n",
])
def test_corrupt_input_file_is_refused_with_the_programs_message(text, tmp_path):
    (tmp_path / "bad.inp").write_bytes(text)
    cli = run_cli(["run", "bad.inp"], tmp_path)
    assert cli.returncode == 2
    with pytest.raises(ValueError) as refused:
        pelorin.Case.from_file(tmp_path / "bad.inp")
    assert str(refused.value) and str(refused.value) in cli.stderr.decode("latin-1")


def test_a_text_that_is_no_report_is_refused():
    with pytest.raises(pelorin.ReportError):
        pelorin.read_report(EXAMPLE)
