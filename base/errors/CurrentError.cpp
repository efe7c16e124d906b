#include "base/errors/ErrorTrap.h"

#include "db/DbError.h"
#include "rules/RuleError.h"
#include "skin/SkinError.h"

namespace errors {

namespace {
// The number the windows have always shown for a failure that carries no
// number of its own ("Errore definito dall'applicazione o dall'oggetto").
constexpr long kGeneralErrorNumber = 1004;
}

ErrObject currentError(std::exception_ptr error)
{
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const db::DbError &e) {
        return {e.number(), e.description(), e.detail()};
    } catch (const rules::RuleError &e) {
        return {e.number(), e.description()};
    } catch (const AppError &e) {
        return e.err();
    } catch (const skin::SkinError &e) {
        return {e.number(), e.description()};
    } catch (const std::bad_alloc &) {
        return {7, QStringLiteral("Memoria esaurita.")};
    } catch (const std::exception &e) {
        QString text = QString::fromUtf8(e.what()).trimmed();
        if (text.isEmpty())
            text = QStringLiteral("Errore definito dall'applicazione o dall'oggetto.");
        return {kGeneralErrorNumber, text};
    } catch (...) {
        return {kGeneralErrorNumber, QStringLiteral("Errore definito dall'applicazione o dall'oggetto.")};
    }
}

} // namespace errors
