#pragma once

#include <QString>

// A stock load as the load window writes it into `carico`.
struct LoadRow {
    QString data;          // dd/mm/yyyy
    QString codice;        // bar code of the stock item
    int usato = 0;         // the check box value, non-zero is second-hand
    double quantita = 0;   // as typed
    double prezzo = 0;     // the load window records none; an imported invoice does
};

// A sale as the unload window writes it into `scarico`.
struct SaleRow {
    QString data;
    QString codice;
    double quantita = 0;
    double prezzo = 0;
    double sconto = 0;
    double saldo = 0;
    QString pagamento;
    int usato = 0;         // -1 for second-hand goods (a bar code ending in "U")
};

// The stock movements of the load and unload windows. Each one changes the
// stock item's quantity and writes, changes or deletes its row in ONE
// transaction, so that the stock always equals what the recorded rows say,
// whatever happens in between (a crash, a full disk, an overflow). A load
// adds its whole quantity to the stock, a sale takes it off; otherwise the
// two are the same operations on two tables.
//
// None of them shows a message: they report what they found and the window
// speaks, after the transaction has ended.
class StockMovement {
public:
    enum class Result {
        Done,
        ItemNotFound   // no stock item with the bar code: nothing written
    };

    // Adds the whole quantity to the stock item and adds the row; `number`
    // receives the load number the database assigned.
    static Result recordLoad(const LoadRow &row, qlonglong *number = nullptr);
    // Rewrites load `number`; the stock goes back by the stored quantity of
    // the stored bar code and forward by the new ones.
    static Result changeLoad(qlonglong number, const LoadRow &row);
    // Deletes load `number` and takes its stored quantity off its stored
    // item. An item that no longer exists is reported; the row goes all the
    // same (there is no stock left to correct).
    static Result deleteLoad(qlonglong number);

    static Result recordSale(const SaleRow &row, qlonglong *number = nullptr);
    static Result changeSale(qlonglong number, const SaleRow &row);
    static Result deleteSale(qlonglong number);

    // Only for the crash test's control run, which proves that the test
    // notices a movement written statement by statement: false makes every
    // movement run without its transaction. The program never calls it.
    static void setOneTransactionPerMovement(bool on);
};
