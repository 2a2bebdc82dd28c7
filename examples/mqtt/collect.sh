#!/bin/sh
# Collects the records of every station into one file, one JSON object a line. -c -i: a persistent
# session, so the broker keeps what arrives while the collector is away; -q 1: nothing is dropped
# on the way to it. Duplicates (a record sent again after an interrupted connection) have the same
# Station and Satz.
mosquitto_sub -h broker.plant.example -u collector -P "$COLLECTOR_PASSWORD" -i travek-collector -c -q 1 -t 'travek/+/messung' >>messungen.jsonl
