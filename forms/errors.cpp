#include "forms/errors.h"

namespace forms {

int errorNumber(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::InvalidPropertyValue:
            return 380;
        case ErrorKind::Overflow:
            return 6;
        case ErrorKind::DivisionByZero:
            return 11;
        case ErrorKind::InvalidArgument:
            return 5;
    }
    return 0;
}

std::string_view errorName(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::InvalidPropertyValue:
            return "InvalidPropertyValue";
        case ErrorKind::Overflow:
            return "Overflow";
        case ErrorKind::DivisionByZero:
            return "DivisionByZero";
        case ErrorKind::InvalidArgument:
            return "InvalidArgument";
    }
    return "";
}

std::string_view errorWording(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::InvalidPropertyValue:
            return "valor de propriedade inválido";
        case ErrorKind::Overflow:
            return "excesso de capacidade";
        case ErrorKind::DivisionByZero:
            return "divisão por zero";
        case ErrorKind::InvalidArgument:
            return "chamada de procedimento ou argumento inválido";
    }
    return "";
}

const char* RuntimeError::what() const noexcept {
    return errorName(kind_).data();
}

void raise(ErrorKind kind) {
    throw RuntimeError(kind);
}

}  // namespace forms
