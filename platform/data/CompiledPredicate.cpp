#include "platform/data/CompiledPredicate.h"

#include "platform/foundation/Format.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace data {

using foundation::Value;

namespace {

struct Token {
    enum class Kind { Identifier, Text, Number, Placeholder, Operator, LeftParen, RightParen, End };
    Kind kind {Kind::End};
    std::string text;
    size_t position {0};
};

bool equalsIgnoringCase(const std::string& a, const char* b)
{
    size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

class Tokenizer {
public:
    explicit Tokenizer(const std::string& text)
        : m_text(text)
    { }

    bool run(std::vector<Token>& tokens, std::string& error)
    {
        size_t i = 0;
        const size_t n = m_text.size();
        while (i < n) {
            char c = m_text[i];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++i;
                continue;
            }
            Token token;
            token.position = i;
            if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                size_t start = i;
                while (i < n && (std::isalnum(static_cast<unsigned char>(m_text[i])) || m_text[i] == '_'))
                    ++i;
                token.kind = Token::Kind::Identifier;
                token.text = m_text.substr(start, i - start);
            } else if (std::isdigit(static_cast<unsigned char>(c))
                || ((c == '-' || c == '+') && i + 1 < n
                    && std::isdigit(static_cast<unsigned char>(m_text[i + 1])))) {
                size_t start = i++;
                while (i < n
                    && (std::isdigit(static_cast<unsigned char>(m_text[i])) || m_text[i] == '.'
                        || m_text[i] == 'e' || m_text[i] == 'E'
                        || ((m_text[i] == '-' || m_text[i] == '+')
                            && (m_text[i - 1] == 'e' || m_text[i - 1] == 'E'))))
                    ++i;
                token.kind = Token::Kind::Number;
                token.text = m_text.substr(start, i - start);
            } else if (c == '\'' || c == '"') {
                char quote = c;
                ++i;
                std::string value;
                bool closed = false;
                while (i < n) {
                    char d = m_text[i++];
                    if (d == quote) {
                        closed = true;
                        break;
                    }
                    if (d == '\\' && i < n) {
                        char e = m_text[i++];
                        switch (e) {
                        case 'n':
                            value += '\n';
                            break;
                        case 't':
                            value += '\t';
                            break;
                        case 'r':
                            value += '\r';
                            break;
                        default:
                            value += e;
                        }
                        continue;
                    }
                    value += d;
                }
                if (!closed) {
                    error = foundation::format("unterminated quoted text at offset %zu", token.position);
                    return false;
                }
                token.kind = Token::Kind::Text;
                token.text = std::move(value);
            } else if (c == '%') {
                static const char* const kPlaceholders[]
                    = {"%@", "%lld", "%llu", "%ld", "%lu", "%lf", "%d", "%i", "%u", "%f"};
                bool matched = false;
                for (const char* placeholder : kPlaceholders) {
                    size_t length = std::strlen(placeholder);
                    if (m_text.compare(i, length, placeholder) == 0) {
                        token.kind = Token::Kind::Placeholder;
                        token.text = placeholder;
                        i += length;
                        matched = true;
                        break;
                    }
                }
                if (!matched) {
                    error = foundation::format("unsupported placeholder at offset %zu", i);
                    return false;
                }
            } else if (c == '(' || c == ')') {
                token.kind = c == '(' ? Token::Kind::LeftParen : Token::Kind::RightParen;
                token.text = std::string(1, c);
                ++i;
            } else {
                static const char* const kOperators[]
                    = {"==", "!=", "<>", "<=", "=<", ">=", "=>", "&&", "||", "=", "<", ">", "!"};
                bool matched = false;
                for (const char* op : kOperators) {
                    size_t length = std::strlen(op);
                    if (m_text.compare(i, length, op) == 0) {
                        token.kind = Token::Kind::Operator;
                        token.text = op;
                        i += length;
                        matched = true;
                        break;
                    }
                }
                if (!matched) {
                    error = foundation::format("unexpected character '%c' at offset %zu", c, i);
                    return false;
                }
            }
            tokens.push_back(std::move(token));
        }
        Token end;
        end.position = n;
        tokens.push_back(end);
        return true;
    }

private:
    const std::string& m_text;
};

using Node = CompiledPredicate::Node;
using Op = CompiledPredicate::Op;
using Slot = CompiledPredicate::Slot;

std::optional<Op> comparisonOperator(const std::string& text)
{
    if (text == "=" || text == "==")
        return Op::Equal;
    if (text == "!=" || text == "<>")
        return Op::NotEqual;
    if (text == "<")
        return Op::Less;
    if (text == "<=" || text == "=<")
        return Op::LessOrEqual;
    if (text == ">")
        return Op::Greater;
    if (text == ">=" || text == "=>")
        return Op::GreaterOrEqual;
    return std::nullopt;
}

Op mirrored(Op op)
{
    switch (op) {
    case Op::Less:
        return Op::Greater;
    case Op::LessOrEqual:
        return Op::GreaterOrEqual;
    case Op::Greater:
        return Op::Less;
    case Op::GreaterOrEqual:
        return Op::LessOrEqual;
    default:
        return op;
    }
}

const char* sqlOperator(Op op)
{
    switch (op) {
    case Op::Equal:
        return "IS";
    case Op::NotEqual:
        return "IS NOT";
    case Op::Less:
        return "<";
    case Op::LessOrEqual:
        return "<=";
    case Op::Greater:
        return ">";
    case Op::GreaterOrEqual:
        return ">=";
    }
    return "IS";
}

bool isKeyword(const std::string& word)
{
    static const char* const kKeywords[] = {
        "AND", "OR", "NOT", "TRUE", "FALSE", "YES", "NO", "NIL", "NULL", "TRUEPREDICATE", "FALSEPREDICATE"};
    return std::any_of(std::begin(kKeywords), std::end(kKeywords),
        [&](const char* keyword) { return equalsIgnoringCase(word, keyword); });
}

class Parser {
public:
    Parser(const std::vector<Token>& tokens, const EntityDescription& entity, const std::string& format)
        : m_tokens(tokens)
        , m_entity(entity)
        , m_format(format)
    { }

    std::optional<Node> parse(
        std::vector<Slot>& slots, std::string& sql, size_t& placeholders, std::string& error)
    {
        m_slots = &slots;
        m_sql = &sql;
        auto node = parseOr();
        if (!node) {
            error = m_error;
            return std::nullopt;
        }
        if (peek().kind != Token::Kind::End) {
            error = foundation::format("unexpected '%s' at offset %zu", peek().text.c_str(), peek().position);
            return std::nullopt;
        }
        placeholders = m_placeholders;
        return node;
    }

private:
    const Token& peek() const { return m_tokens[m_index]; }
    const Token& next() { return m_tokens[m_index++]; }
    bool atWord(const char* word) const
    {
        return peek().kind == Token::Kind::Identifier && equalsIgnoringCase(peek().text, word);
    }
    bool atOperator(const char* op) const
    {
        return peek().kind == Token::Kind::Operator && peek().text == op;
    }

    std::optional<Node> fail(std::string message)
    {
        if (m_error.empty())
            m_error = std::move(message);
        return std::nullopt;
    }

    std::optional<Node> parseOr()
    {
        auto left = parseAnd();
        if (!left)
            return std::nullopt;
        if (!(atWord("OR") || atOperator("||")))
            return left;
        Node node;
        node.kind = Node::Kind::Or;
        node.children.push_back(std::move(*left));
        while (atWord("OR") || atOperator("||")) {
            next();
            *m_sql += " OR ";
            auto right = parseAnd();
            if (!right)
                return std::nullopt;
            node.children.push_back(std::move(*right));
        }
        return node;
    }

    std::optional<Node> parseAnd()
    {
        auto left = parseNot();
        if (!left)
            return std::nullopt;
        if (!(atWord("AND") || atOperator("&&")))
            return left;
        Node node;
        node.kind = Node::Kind::And;
        node.children.push_back(std::move(*left));
        while (atWord("AND") || atOperator("&&")) {
            next();
            *m_sql += " AND ";
            auto right = parseNot();
            if (!right)
                return std::nullopt;
            node.children.push_back(std::move(*right));
        }
        return node;
    }

    std::optional<Node> parseNot()
    {
        if (atWord("NOT") || atOperator("!")) {
            next();
            *m_sql += "NOT (";
            auto inner = parseNot();
            if (!inner)
                return std::nullopt;
            *m_sql += ")";
            Node node;
            node.kind = Node::Kind::Not;
            node.children.push_back(std::move(*inner));
            return node;
        }
        return parsePrimary();
    }

    std::optional<Node> parsePrimary()
    {
        if (peek().kind == Token::Kind::LeftParen) {
            next();
            *m_sql += "(";
            auto inner = parseOr();
            if (!inner)
                return std::nullopt;
            if (peek().kind != Token::Kind::RightParen)
                return fail(foundation::format("missing ')' at offset %zu", peek().position));
            next();
            *m_sql += ")";
            return inner;
        }
        if (atWord("TRUEPREDICATE") || atWord("FALSEPREDICATE")) {
            bool truth = atWord("TRUEPREDICATE");
            next();
            *m_sql += truth ? "1" : "0";
            Node node;
            node.kind = truth ? Node::Kind::True : Node::Kind::False;
            return node;
        }
        return parseComparison();
    }

    struct Operand {
        bool isKey {false};
        std::string key;
        std::optional<size_t> argument;
        Value literal;
        size_t position {0};
    };

    std::optional<Operand> parseOperand()
    {
        const Token& token = peek();
        Operand operand;
        operand.position = token.position;
        switch (token.kind) {
        case Token::Kind::Identifier:
            if (equalsIgnoringCase(token.text, "TRUE") || equalsIgnoringCase(token.text, "YES"))
                operand.literal = Value(true);
            else if (equalsIgnoringCase(token.text, "FALSE") || equalsIgnoringCase(token.text, "NO"))
                operand.literal = Value(false);
            else if (equalsIgnoringCase(token.text, "NIL") || equalsIgnoringCase(token.text, "NULL"))
                operand.literal = Value();
            else if (isKeyword(token.text)) {
                fail(foundation::format("expected an attribute or a value at offset %zu, found '%s'",
                    token.position, token.text.c_str()));
                return std::nullopt;
            } else {
                operand.isKey = true;
                operand.key = token.text;
            }
            break;
        case Token::Kind::Text:
            operand.literal = Value(token.text);
            break;
        case Token::Kind::Number:
            if (token.text.find_first_of(".eE") == std::string::npos) {
                auto parsed = coerceValue(Value(token.text), AttributeType::Int64);
                if (!parsed) {
                    fail("bad number '" + token.text + "'");
                    return std::nullopt;
                }
                operand.literal = *parsed;
            } else {
                auto parsed = coerceValue(Value(token.text), AttributeType::Double);
                if (!parsed) {
                    fail("bad number '" + token.text + "'");
                    return std::nullopt;
                }
                operand.literal = *parsed;
            }
            break;
        case Token::Kind::Placeholder:
            operand.argument = m_placeholders++;
            break;
        default:
            fail(foundation::format("expected an attribute or a value at offset %zu", token.position));
            return std::nullopt;
        }
        next();
        return operand;
    }

    std::optional<Node> parseComparison()
    {
        auto left = parseOperand();
        if (!left)
            return std::nullopt;
        if (peek().kind != Token::Kind::Operator || !comparisonOperator(peek().text))
            return fail(foundation::format("expected a comparison operator at offset %zu", peek().position));
        Op op = *comparisonOperator(next().text);
        auto right = parseOperand();
        if (!right)
            return std::nullopt;
        if (left->isKey == right->isKey)
            return fail(foundation::format(
                "a comparison needs one attribute and one value (offset %zu)", left->position));
        if (!left->isKey) {
            std::swap(left, right);
            op = mirrored(op);
        }
        auto attributeIndex = m_entity.indexOfAttribute(left->key);
        if (!attributeIndex)
            return fail(foundation::format(
                "unknown attribute '%s' of entity %s", left->key.c_str(), m_entity.name().c_str()));
        const AttributeDescription& attribute = m_entity.attributes()[*attributeIndex];

        Slot slot;
        slot.type = attribute.type;
        slot.attributeName = attribute.name;
        slot.argument = right->argument;
        if (!right->argument) {
            auto literal = coerceValue(right->literal, attribute.type);
            if (!literal)
                return fail(foundation::format("the value at offset %zu does not fit %s attribute '%s'",
                    right->position, attributeTypeName(attribute.type), attribute.name.c_str()));
            slot.literal = *literal;
        }
        Node node;
        node.kind = Node::Kind::Compare;
        node.attribute = *attributeIndex;
        node.op = op;
        node.slot = m_slots->size();
        m_slots->push_back(std::move(slot));
        // Orderings with NULL are false, never NULL, so that NOT agrees with the in-memory evaluation.
        if (op == Op::Equal || op == Op::NotEqual)
            *m_sql += foundation::format("\"%s\" %s ?", attribute.name.c_str(), sqlOperator(op));
        else
            *m_sql += foundation::format("IFNULL(\"%s\" %s ?, 0)", attribute.name.c_str(), sqlOperator(op));
        return node;
    }

    const std::vector<Token>& m_tokens;
    const EntityDescription& m_entity;
    const std::string& m_format;
    size_t m_index {0};
    size_t m_placeholders {0};
    std::vector<Slot>* m_slots {nullptr};
    std::string* m_sql {nullptr};
    std::string m_error;
};

} // namespace

std::shared_ptr<const CompiledPredicate> CompiledPredicate::compile(
    const std::string& format, const EntityDescription& entity, std::string* error)
{
    std::vector<Token> tokens;
    std::string message;
    auto result = std::make_shared<CompiledPredicate>();
    if (Tokenizer(format).run(tokens, message)) {
        if (tokens.size() == 1) {
            message = "empty predicate";
        } else {
            Parser parser(tokens, entity, format);
            if (auto root
                = parser.parse(result->m_slots, result->m_sql, result->m_placeholderCount, message)) {
                result->m_root = std::move(*root);
                return result;
            }
        }
    }
    if (error)
        *error = "predicate \"" + format + "\": " + message;
    return nullptr;
}

std::optional<std::vector<Value>> CompiledPredicate::bind(
    const foundation::Array& arguments, std::string* error) const
{
    if (arguments.size() != m_placeholderCount) {
        if (error)
            *error = foundation::format("predicate has %zu placeholders but %zu arguments were given",
                m_placeholderCount, arguments.size());
        return std::nullopt;
    }
    std::vector<Value> bound;
    bound.reserve(m_slots.size());
    for (auto& slot : m_slots) {
        if (!slot.argument) {
            bound.push_back(slot.literal);
            continue;
        }
        auto value = coerceValue(arguments[*slot.argument], slot.type);
        if (!value) {
            if (error)
                *error = foundation::format("argument %zu does not fit %s attribute '%s'", *slot.argument + 1,
                    attributeTypeName(slot.type), slot.attributeName.c_str());
            return std::nullopt;
        }
        bound.push_back(std::move(*value));
    }
    return bound;
}

std::optional<int> CompiledPredicate::compareValues(const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return std::nullopt;
    auto threeWay = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    if (a.isString() && b.isString()) {
        int c = a.asString().compare(b.asString());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (a.isInt() && b.isInt())
        return threeWay(a.asInt(), b.asInt());
    if (a.isDate() && b.isDate())
        return threeWay(a.asDate().secondsSince1970(), b.asDate().secondsSince1970());
    if (a.isBool() && b.isBool())
        return threeWay(int(a.asBool()), int(b.asBool()));
    if (a.isNumber() && b.isNumber())
        return threeWay(a.asDouble(), b.asDouble());
    return std::nullopt;
}

bool CompiledPredicate::evaluate(const std::vector<Value>& bound, const std::vector<Value>& attributes) const
{
    return evaluateNode(m_root, bound, attributes);
}

bool CompiledPredicate::evaluateNode(
    const Node& node, const std::vector<Value>& bound, const std::vector<Value>& attributes) const
{
    switch (node.kind) {
    case Node::Kind::True:
        return true;
    case Node::Kind::False:
        return false;
    case Node::Kind::Not:
        return !evaluateNode(node.children.front(), bound, attributes);
    case Node::Kind::And:
        return std::all_of(node.children.begin(), node.children.end(),
            [&](const Node& child) { return evaluateNode(child, bound, attributes); });
    case Node::Kind::Or:
        return std::any_of(node.children.begin(), node.children.end(),
            [&](const Node& child) { return evaluateNode(child, bound, attributes); });
    case Node::Kind::Compare: {
        const Value& left = attributes[node.attribute];
        const Value& right = bound[node.slot];
        if (node.op == Op::Equal || node.op == Op::NotEqual) {
            bool equal = (left.isNull() && right.isNull()) || compareValues(left, right) == 0;
            return node.op == Op::Equal ? equal : !equal;
        }
        auto order = compareValues(left, right);
        if (!order)
            return false;
        switch (node.op) {
        case Op::Less:
            return *order < 0;
        case Op::LessOrEqual:
            return *order <= 0;
        case Op::Greater:
            return *order > 0;
        case Op::GreaterOrEqual:
            return *order >= 0;
        default:
            return false;
        }
    }
    }
    return false;
}

} // namespace data
