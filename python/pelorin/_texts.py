"""Texts between Python and the program's single-byte files."""


def latin1(text: str, what: str) -> bytes:
    """The text as the files hold it; ValueError naming the characters that
    a single-byte (Latin-1) file cannot hold."""
    try:
        return text.encode("latin-1")
    except UnicodeEncodeError:
        outside = sorted({ch for ch in text if ord(ch) > 0xFF})
        named = ", ".join(f"{ch!r} (U+{ord(ch):04X})" for ch in outside)
        raise ValueError(f"{what} holds characters outside Latin-1: {named}") from None


def decoded(data: bytes) -> str:
    """A text of the program's files or messages (single bytes)."""
    return data.decode("latin-1")
