// The one tokenizer: console statements and render technique scripts. Tokens are
// separated by blanks (NUL, newline, carriage return, space); each client supplies its
// own separator strings, which are tokens of their own; "..." is one token; '#' starts
// a comment running to the end of the line. Keywords are the clients' business.
#pragma once

namespace arvel {

class Parser {
public:
    // Both token buffers get capacity bytes; a longer token is cut to capacity - 1
    // characters and the rest of it is skipped.
    explicit Parser(int capacity);
    ~Parser();
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Replaces the separator list with copies of strings, kept in the given order.
    void setSeparators(int count, const char* const* strings);
    // Starts reading text, which is not copied and must outlive the reads.
    void setText(const char* text);

    // Consumes the next token; "" when nothing is left. Valid until the next call of
    // next(), whatever else is called in between.
    const char* next();
    // The token next() would return, without consuming it. Valid until the next
    // peek(), atEnd(), readInt() or readFloat().
    const char* peek();
    // True at the end of the text or when the coming token is empty. Consumes nothing.
    bool atEnd();
    // A number token ('-' or a digit, then digits, '-' and '.'). Throw Exception* when
    // none starts here or the token is not a whole number; 0 at the end of the text.
    int readInt();
    double readFloat();

    bool isQuoted() const { return lastQuoted_; }
    bool endOfText() const { return endOfText_; }
    int getLine() const { return line_; }
    int getPosition() const { return position_; }

private:
    // Reads one token into buffer; the common body of next() and peek().
    const char* readToken(char* buffer);
    // Reads a number token into the look buffer; false when no number starts here.
    bool readNumber();
    // Skips blanks and comments; false when the text ran out.
    bool skipBlanksAndComments();
    // The longest separator matching at position_, or -1.
    int matchSeparator() const;
    // Copies the quoted string starting at position_ (the opening quote).
    const char* readQuoted(char* buffer);
    bool beyondEnd() const { return position_ < 0 || static_cast<unsigned>(position_) > length_; }

    int position_ = 0;
    int line_ = 0;
    unsigned int length_ = 0;
    bool endOfText_ = false;
    bool lastQuoted_ = false;
    int capacity_ = 0;
    char* tokenBuffer_ = nullptr;
    char* lookBuffer_ = nullptr;
    const char* text_ = "";
    char** separators_ = nullptr;
    int separatorCount_ = 0;
};

}  // namespace arvel
