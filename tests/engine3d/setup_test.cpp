// setup
