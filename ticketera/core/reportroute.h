#pragma once

class TFrmPrincipal;

// Prints the current ticket of the run through the report template.
class ReportRoute {
public:
    virtual ~ReportRoute() = default;
    // Raises a ZelvoraError subclass when the ticket cannot be printed.
    virtual void imprimir(TFrmPrincipal &form) = 0;
};
