// Sex letter and stored age of a header line: any stored line yields at most
// one and two characters, and a header the take-over wrote yields its sex and
// age by the documented windows.
#include "FuzzInput.h"
#include "records/PersonFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);

    const QString line = FuzzInput::stored(input.bytes());
    const QString letter = PersonFile::sexLetter(line);
    const QString age = PersonFile::storedAge(line);
    FuzzInput::require(letter.size() == qMin<qsizetype>(line.size(), 1), "one sex letter, or none for an empty line");
    FuzzInput::require(age.size() == qMin<qsizetype>(line.size(), 2), "two age characters, or the whole short line");

    // flags | name | age: a header as the take-over builds it.
    const QList<QByteArray> f = input.fields(3);
    const bool male = f[0].contains('m');
    const bool female = f[0].contains('w');
    const QString name = FuzzInput::stored(f[1]);
    const QString ageText = FuzzInput::stored(f[2]);
    if (ageText.isEmpty() || ageText.size() > 3)
        return 0;
    const QString sexWord = PersonFile::sexWord(male, female);
    const QString header = PersonFile::headerLine(name, sexWord, ageText);

    if (ageText.size() == 2) {
        FuzzInput::require(PersonFile::storedAge(header) == ageText, "a two-character age is read back whole");
        if (!sexWord.isEmpty())
            FuzzInput::require(PersonFile::sexLetter(header) == sexWord.mid(2, 1), "the sex word's first letter");
    } else if (ageText.size() == 1) {
        FuzzInput::require(PersonFile::storedAge(header) == QLatin1Char(' ') + ageText, "a one-character age reads as blank and digit");
        if (!sexWord.isEmpty())
            FuzzInput::require(PersonFile::sexLetter(header) == QLatin1String(" "), "a one-character age shifts the letter to the blank");
    } else {
        FuzzInput::require(PersonFile::storedAge(header) == ageText.right(2), "a three-character age loses its first character");
        if (!sexWord.isEmpty())
            FuzzInput::require(PersonFile::sexLetter(header) == sexWord.mid(3, 1), "a three-character age shifts to the second letter");
    }
    return 0;
}
