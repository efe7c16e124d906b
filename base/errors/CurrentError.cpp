#include "base/errors/ErrorTrap.h"

#include "db/DbError.h"
#include "rules/RuleError.h"
#include "skin/SkinError.h"

namespace errors {

namespace {
// The number the windows have always shown for a failure that carries no
// number of its own ("Errore definito dall'applicazione o dall'oggetto").
constexpr long kGeneralErrorNumber = 1004;
constexpr long kDiskFull = 3026;
}

ErrObject currentError(std::exception_ptr error)
{
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const db::DbError &e) {
        ErrObject::Nature nature = ErrObject::Nature::Program;
        if (e.kind() == db::ErrorKind::Busy)
            nature = ErrObject::Nature::Busy;
        else if (e.kind() == db::ErrorKind::Io)
            nature = e.number() == kDiskFull ? ErrObject::Nature::DiskFull : ErrObject::Nature::Storage;
        return {e.number(), e.description(), e.detail(), nature};
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
