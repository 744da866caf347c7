@echo off
echo first> C:\work\out.txt
@echo second >>out.txt
echo.
echo %1 %~2 %* 100%%
rem nothing
nosuch 2> err.txt
md C:\work\a\b
cd /d C:\work\a
del C:\work\out.txt
velq create database shop1
velq catalog tcpip node n1 remote dbhost server 50000
velq list node directory > nodes.txt 2>&1
velq connect to shop1
velq "create table t (a int)"
velq terminate
velqstop
velqstart
echo call> sub.cmd
call sub.cmd x
exit /b 3
