// The application shell: start-up, the main menu with its load gate, and
// the exit procedure.
#pragma once

// The whole program: prepares the console, prints the banner, runs the
// main menu until the clerk leaves, says goodbye. Always returns 0, also
// when standard input ends early.
int avvia_sanzionario();

// The main menu loop; returns after choice 7.
void menu_principale();

// The exit procedure: offers to save before the program ends.
void esci();
