% Start-up and an empty program.
