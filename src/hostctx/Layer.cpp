// The host-context layer: text lookup, formatting, dialog fonts, shared host properties.
